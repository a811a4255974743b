#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test the program.
set -euo pipefail
if [ "$(id -u)" != 0 ]; then exec sudo "$0" "$@"; fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends \
  build-essential cmake ninja-build clang libclang-rt-14-dev \
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev \
  fonts-wine fonts-dejavu-core \
  libgtest-dev libgmock-dev libmimalloc-dev \
  pff-tools python3 python3-pypff pst-utils python3-vobject \
  xvfb xauth x11-utils \
  binutils-mingw-w64-i686 desktop-file-utils dpkg-dev file
