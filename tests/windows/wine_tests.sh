#!/usr/bin/env bash
# The Windows build's tests under Wine, in a new Wine prefix of their own:
#  1. the core's unit tests (ctest in the Windows build; the PST files they
#     write are read back on Linux by the oracle afterwards);
#  2. an import by quillonet-import.exe of files under a Windows path,
#     Z:\a\b\x.vcf and Z:\a\Mü\y.vcf, its PST read back on Linux by libpff and
#     readpst (pst_readback.py) and checked by quillonet-pstverify;
#  3. the window under Xvfb: titled "Marlix Quillonet Pro", a 543x450 client
#     area, and Alt+F4 closes it.
# Usage: wine_tests.sh [WINDOWS_BUILD [LINUX_BUILD]]; the defaults are
# build-windows and build (for quillonet-pstverify) in the repository.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
win=$(cd "${1:-$repo/build-windows}" && pwd)
linux=$(cd "${2:-$repo/build}" && pwd)
for tool in wine xvfb-run xdotool python3; do
  command -v "$tool" >/dev/null || { echo "wine_tests.sh: $tool is missing (scripts/build-windows.sh --test installs it)" >&2; exit 1; }
done
for file in "$win/bin/quillonet.exe" "$win/bin/quillonet-import.exe" "$win/bin/window_probe.exe" "$linux/bin/quillonet-pstverify"; do
  [ -f "$file" ] || { echo "wine_tests.sh: $file is missing" >&2; exit 1; }
done

work=$(mktemp -d)
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
# Arguments reach the programs as UTF-8 only in a UTF-8 locale.
export LC_ALL=C.UTF-8
step() { echo "== $* ($((SECONDS))s)"; }

step "a Wine prefix in $WINEPREFIX"
wineboot --init >/dev/null 2>&1
wineserver -w

step "the core's unit tests under Wine"
ctest --test-dir "$win" --output-on-failure -j2

step "an import of files under a Windows path"
# Drive Z: of this prefix is a folder of the test's own, so the files sit at
# Z:\a\b\x.vcf and Z:\a\Mü\y.vcf exactly.
drive=$work/drive
mkdir -p "$drive/a/b" "$drive/a/Mü" "$drive/bin"
rm -f "$WINEPREFIX/dosdevices/z:"
ln -s "$drive" "$WINEPREFIX/dosdevices/z:"
cp "$win/bin/quillonet-import.exe" "$drive/bin/"
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ek;Ann;;;\r\nFN:Ann Ek\r\nEMAIL:ann@example.com\r\nEND:VCARD\r\n' > "$drive/a/b/x.vcf"
printf 'BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1:M\xfcller;J\xfcrgen\r\nFN;CHARSET=ISO-8859-1:J\xfcrgen M\xfcller\r\nEND:VCARD\r\n' > "$drive/a/Mü/y.vcf"
cat > "$work/expect.json" <<'JSON'
{"folders": [{"path": "Top of Personal Folders/a", "messages": 0},
             {"path": "Top of Personal Folders/a/b", "messages": 1},
             {"path": "Top of Personal Folders/a/Mü", "messages": 1}],
 "readpst_counts": {"a/b": 1, "a/Mü": 1},
 "messages": [{"folder": "Top of Personal Folders/a/Mü", "display_name": "Jürgen Müller"},
              {"folder": "Top of Personal Folders/a/b", "display_name": "Ann Ek"}]}
JSON
# Once with the two files, once with their folder (the folder walk).
import_cards() {
  local out=$1; shift
  mkdir -p "$drive/$out"
  local status=0
  (cd "$drive" && wine 'Z:\bin\quillonet-import.exe' --dest "Z:\\$out" "$@") \
    > "$work/import.out" 2> "$work/import.err" || status=$?
  cat "$work/import.out" "$work/import.err"
  [ "$status" = 0 ] || { echo "quillonet-import.exe ended with status $status" >&2; return 1; }
  local pst
  pst=$(find "$drive/$out" -name 'MarlixContacts*.pst')
  [ -n "$pst" ] && [ "$(echo "$pst" | wc -l)" = 1 ] || { echo "expected one new PST in Z:\\$out, found: $pst" >&2; return 1; }
  # The last line on stdout is the new file's Windows path.
  [ "$(tail -n 1 "$work/import.out" | tr -d '\r')" = "Z:\\$out\\$(basename "$pst")" ] \
    || { echo "the PST's Windows path is not the last line on stdout" >&2; return 1; }
  python3 "$repo/tests/support/pst_readback.py" check "$pst" "$work/expect.json"
  "$linux/bin/quillonet-pstverify" "$pst"
}
import_cards out-files 'Z:\a\b\x.vcf' 'Z:\a\Mü\y.vcf'
import_cards out-folder 'Z:\a'

step "the window under Xvfb"
# The Wine session started above had no display: wait until it has ended,
# so that the window's session starts afresh on Xvfb's.
wineserver -w
cp "$win/bin/quillonet.exe" "$win/bin/window_probe.exe" "$drive/bin/"
xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
  cd "$1"
  wine "Z:\\bin\\quillonet.exe" & program=$!
  size=$(wine "Z:\\bin\\window_probe.exe" "Marlix Quillonet Pro" 60 | tr -d "\r")
  echo "client area: $size"
  [ "$size" = 543x450 ] || { echo "the window'"'"'s client area is $size, not 543x450" >&2; exit 1; }
  id=$(xdotool search --name "^Marlix Quillonet Pro\$" | head -1)
  xdotool windowfocus --sync "$id"
  xdotool key --clearmodifiers alt+F4
  for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
  if kill -0 "$program" 2>/dev/null; then echo "Alt+F4 did not close the window" >&2; kill "$program"; exit 1; fi
  wait "$program"
' wine_window "$drive"

step "Windows tests passed"
