#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Tessary needs to build, run and test. Safe to run again: it installs
# only what is missing. Works as root or as a user with sudo.
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: scripts/setup.sh [EXTRA-PACKAGE...]
Installs with apt-get (through sudo when not root) the Debian packages that Tessary's build, tests, package and
the README's commands need, plus any named on the command line; packages already installed are left alone, and
nothing is done when none is missing. Needs about 1.5 GB of disk for the packages."
  exit 0
fi

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libxcb1-dev
  libjpeg-dev libpng-dev libtiff-dev zlib1g-dev
  qt6-svg-dev libwebp-dev libgif-dev libheif-dev libde265-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  xvfb xauth fonts-dejavu-core xdotool python3-xlib
  dpkg-dev desktop-file-utils appstream file lintian man-db
  libqrcodegencpp-dev zbar-tools
)
# cpack's DEB generator needs file; the log's full-width colon (U+FF1A) needs a font that has it.
packages+=(file fonts-wqy-microhei)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "tessary: installing ${missing[*]}" >&2
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
