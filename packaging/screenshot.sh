#!/usr/bin/env bash
# Takes the README's picture of the window under Xvfb, with a few files
# listed: packaging/screenshot.png. Needs a build (quillonet-screenshot) and xvfb.
# Usage: packaging/screenshot.sh [BUILD_DIR] [OUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-packaging/screenshot.png}
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$build/bin/quillonet-screenshot" "$out" \
  "/home/ann/Contacts/Family/Grandparents.vcf" \
  "/home/ann/Contacts/Family/Tom Baker.vcf" \
  "/home/ann/Contacts/Work/Team 2024.vcf" \
  "/home/ann/Contacts/Work/Suppliers/Kessler GmbH.VCF"
echo "wrote $out"
