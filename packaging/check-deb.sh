#!/usr/bin/env bash
# Builds the .deb from a configured and built tree and checks it: contents,
# dependencies, and that the installed command runs and reports its version.
# Usage: packaging/check-deb.sh [BUILD_DIR]   (default: build)
set -euo pipefail
build=${1:-build}
cd "$build"
rm -f quillonet_*.deb
cpack -G DEB >/dev/null
deb=$(ls quillonet_*.deb)
echo "package: $deb"

contents=$(dpkg-deb --contents "$deb")
for path in ./usr/bin/quillonet ./usr/bin/quillonet-import ./usr/share/applications/quillonet.desktop \
            ./usr/share/icons/hicolor/48x48/apps/quillonet.png ./usr/share/icons/hicolor/256x256/apps/quillonet.png \
            ./usr/share/icons/hicolor/scalable/apps/quillonet.svg; do
  grep -q " $path\$" <<<"$contents" || { echo "missing from the package: $path" >&2; exit 1; }
done
if grep -qE '_tests$|temp_folder_probe|screenshot|bench_' <<<"$contents"; then
  echo "the package holds test or tool programs" >&2; exit 1
fi

depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for dep in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6 qt6-qpa-plugins; do
  grep -q "$dep" <<<"$depends" || { echo "Depends lacks $dep" >&2; exit 1; }
done
[ "$(dpkg-deb --field "$deb" Architecture)" = "$(dpkg --print-architecture)" ]

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
version=$("$root/usr/bin/quillonet-import" --version)
[ "$version" = "2.00" ] || { echo "quillonet-import --version printed '$version'" >&2; exit 1; }
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/quillonet.desktop"
fi
echo "package OK"
