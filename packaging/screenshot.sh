#!/usr/bin/env bash
# Takes the README's picture of the window under Xvfb, with a few files
# listed: packaging/screenshot.png. Needs a build (quillonet-screenshot) and xvfb.
# DPI (default 96) is the screen's: at 144 Qt draws the window 1.5 times as large.
# Usage: packaging/screenshot.sh [BUILD_DIR] [OUT.png] [DPI]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-packaging/screenshot.png}
dpi=${3:-96}
unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_ENABLE_HIGHDPI_SCALING
# Xvfb has no Xft.dpi resource; Qt takes the screen's DPI from QT_FONT_DPI instead.
QT_FONT_DPI=$dpi xvfb-run -a -s "-screen 0 1600x1200x24 -dpi $dpi" "$build/bin/quillonet-screenshot" "$out" \
  "/home/ann/Contacts/Family/Grandparents.vcf" \
  "/home/ann/Contacts/Family/Tom Baker.vcf" \
  "/home/ann/Contacts/Work/Team 2024.vcf" \
  "/home/ann/Contacts/Work/Suppliers/Kessler GmbH.VCF"
echo "wrote $out"
