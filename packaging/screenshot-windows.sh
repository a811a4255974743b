#!/usr/bin/env bash
# Takes the README's picture of the Windows window: runs quillonet.exe under
# Wine on a private Xvfb screen, lists a few files through the open-file
# dialog (typed as a user would) and saves the window as a PNG.
# Needs a Windows build (scripts/build-windows.sh), wine, xvfb, xdotool, python3.
# Usage: packaging/screenshot-windows.sh [EXE] [OUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
exe=$(realpath "${1:-build-windows/bin/quillonet.exe}")
out=$(realpath -m "${2:-packaging/screenshot-windows.png}")

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A screen of our own whose frame buffer Xvfb keeps in a file (XWD).
mkdir -p "$work/fb"
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -fbdir "$work/fb" -nolisten tcp 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display")

wineboot -i >/dev/null 2>&1
wineserver -w
cards=$WINEPREFIX/drive_c/Contacts
mkdir -p "$cards/Family" "$cards/Work/Suppliers"
for f in "Family/Grandparents.vcf" "Family/Tom Baker.vcf" "Work/Team 2024.vcf" "Work/Suppliers/Kessler GmbH.VCF"; do
  printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nN:;Ann;;;\r\nEND:VCARD\r\n' > "$cards/$f"
done

wine "$exe" >/dev/null 2>&1 &
window=
for _ in $(seq 100); do
  window=$(xdotool search --name '^Marlix Quillonet Pro$' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the window did not open" >&2; exit 1; }
sleep 1

# Add vCard File(s)... has the focus: Space opens the dialog; a folder typed
# and Enter goes there, the names typed and Enter choose them.
add() {
  local folder=$1
  shift
  xdotool key --window "$window" space 2>/dev/null
  sleep 2
  xdotool type --delay 15 "$folder" 2>/dev/null
  xdotool key Return 2>/dev/null
  sleep 1
  xdotool type --delay 15 "$*" 2>/dev/null
  xdotool key Return 2>/dev/null
  sleep 1.5
}
add 'C:\Contacts\Family\' '"Grandparents.vcf" "Tom Baker.vcf"'
add 'C:\Contacts\Work\' '"Team 2024.vcf"'
add 'C:\Contacts\Work\Suppliers\' '"Kessler GmbH.VCF"'

xdotool mousemove 0 0
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
python3 - "$work/fb/Xvfb_screen0" "$out" "$X" "$Y" "$WIDTH" "$HEIGHT" <<'PY'
# The window's rectangle of the XWD frame buffer as an RGB PNG.
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
fields = struct.unpack('>25I', data[:100])
header, byte_order, bytes_per_line, colours = fields[0], fields[7], fields[12], fields[19]
start = header + colours * 12
x, y, w, h = (int(v) for v in sys.argv[3:7])
rows = []
for r in range(y, y + h):
    line = data[start + r * bytes_per_line:start + (r + 1) * bytes_per_line]
    row = bytearray(b'\0')
    for c in range(x, x + w):
        p = line[c * 4:c * 4 + 4]
        row += bytes((p[2], p[1], p[0])) if byte_order == 0 else bytes((p[1], p[2], p[3]))
    rows.append(bytes(row))
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff)
png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
png += chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b'')
open(sys.argv[2], 'wb').write(png)
PY
xdotool key --window "$window" alt+F4 2>/dev/null
echo "wrote $out"
