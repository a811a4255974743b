#!/usr/bin/env bash
# Cross-builds the Windows programs with mingw-w64 into build-windows/
# (bin/quillonet.exe, bin/quillonet-import.exe, the core's unit tests) and
# packs them with the README and the licences into
# build-windows/quillonet-VERSION-windows-x64.zip. Installs the Debian
# packages it needs first: as root directly, otherwise through sudo.
# With --test it then runs tests/windows/wine_tests.sh (Wine, Xvfb; the
# Linux build in build/ checks the PSTs), installing what that needs too.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
test=false
case "${1:-}" in
  --test) test=true ;;
  "") ;;
  *) echo "usage: scripts/build-windows.sh [--test]" >&2; exit 64 ;;
esac

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libgtest-dev zip)
if $test; then packages+=(wine wine64 xvfb xauth xdotool x11-utils python3 python3-pypff pst-utils); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=()
  [ "$(id -u)" = 0 ] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build=build-windows
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release "${launcher[@]}"
cmake --build "$build"

for exe in quillonet.exe quillonet-import.exe; do
  [ -f "$build/bin/$exe" ] || { echo "build-windows.sh: $build/bin/$exe was not built" >&2; exit 1; }
done

# The zip: the two programs, the README, the program's licence if the
# repository has one, and the licences of the runtime linked into them
# (GCC's runtime libraries and mingw-w64's, winpthreads among them).
version=$(sed -n 's/^project(quillonet VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=quillonet-$version-windows-x64
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp "$build/bin/quillonet.exe" "$build/bin/quillonet-import.exe" "$stage/$name/"
cp README.md "$stage/$name/README.md"
for licence in LICENSE LICENSE.md LICENSE.txt COPYING; do
  [ -f "$licence" ] && sed 's/$/\r/' "$licence" > "$stage/$name/LICENSE.txt"
done
{
  echo "The programs are linked statically with these runtime libraries."
  for doc in gcc-mingw-w64-base mingw-w64-x86-64-dev; do
    echo
    echo "==== $doc ===="
    cat "/usr/share/doc/$doc/copyright"
  done
} | sed 's/$/\r/' > "$stage/$name/THIRD-PARTY-LICENSES.txt"
rm -f "$build/$name.zip"
(cd "$stage" && zip -q -r -X "$repo/$build/$name.zip" "$name")
echo "built $build/bin/quillonet.exe, $build/bin/quillonet-import.exe and $build/$name.zip"
if $test; then tests/windows/wine_tests.sh "$build" build; fi
