#!/usr/bin/env bash
# Builds the .deb from a configured and built tree and checks it: contents,
# dependencies, and that the installed command runs and reports its version.
# With --clean-root (root, needs debootstrap and the Debian mirror) it also
# installs the package into a fresh minimal Debian and runs both programs
# there, which proves the Depends line is complete.
# Usage: packaging/check-deb.sh [--clean-root] [BUILD_DIR]   (default: build)
set -euo pipefail
clean_root=0
if [ "${1:-}" = "--clean-root" ]; then clean_root=1; shift; fi
build=${1:-build}
readback=$(cd "$(dirname "$0")/.." && pwd)/tests/support/pst_readback.py
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
for dep in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6 libmimalloc qt6-qpa-plugins; do
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

if [ "$clean_root" = 1 ] && ! chroot / /bin/true 2>/dev/null; then
  echo "chroot is not permitted here: the fresh-root install is left out" >&2
  clean_root=0
fi
if [ "$clean_root" = 1 ]; then
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  fresh=$(mktemp -d)
  trap 'rm -rf "$root" "$fresh"' EXIT
  echo "installing into a fresh minimal $suite"
  # The mirror may hiccup: one retry.
  debootstrap --variant=minbase "$suite" "$fresh" http://deb.debian.org/debian >"$fresh.log" 2>&1 ||
    { rm -rf "$fresh" && mkdir "$fresh" &&
      debootstrap --variant=minbase "$suite" "$fresh" http://deb.debian.org/debian >"$fresh.log" 2>&1; } ||
    { tail -20 "$fresh.log" >&2; echo "debootstrap failed" >&2; exit 1; }
  rm -f "$fresh.log"
  cp "$deb" "$fresh/tmp/"
  chroot "$fresh" bash -ec "
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends /tmp/$deb >/tmp/install.log 2>&1 ||
      { tail -20 /tmp/install.log; exit 1; }
    [ \"\$(quillonet-import --version)\" = 2.00 ]
    mkdir -p /tmp/in /tmp/out
    printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nN:Lee;Ann;;;\r\nEMAIL:ann@example.com\r\nEND:VCARD\r\n' >/tmp/in/ann.vcf
    quillonet-import --dest /tmp/out /tmp/in/ann.vcf 2>/dev/null | tail -1 >/tmp/pst-path
    # The window program starts and keeps running (a missing library ends it at once).
    set +e
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=/tmp timeout 5 quillonet 2>/tmp/window.log
    status=\$?
    set -e
    [ \$status = 124 ] || { cat /tmp/window.log; echo \"the window program ended with status \$status\"; exit 1; }
  "
  pst="$fresh$(cat "$fresh/tmp/pst-path")"
  [ -f "$pst" ] || { echo "the installed quillonet-import wrote no store" >&2; exit 1; }
  # Read back by libpff and readpst, as the tests read their files.
  python3 "$readback" report "$pst" >"$root/readback.json" || { cat "$root/readback.json" >&2; exit 1; }
  echo "installed and ran in a fresh $suite"
fi
echo "package OK"
