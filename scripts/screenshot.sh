#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the console under a virtual X server, photographs the screen and saves it as a PNG.
# Usage: screenshot.sh [OUTPUT.png] [BUILD_DIR]   (defaults: tessary-screenshot.png, ./build)
# Needs Xvfb and ImageMagick's import (Debian packages xvfb and imagemagick).
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: scripts/screenshot.sh [OUTPUT.png] [BUILD_DIR]
Starts the built console (BUILD_DIR/bin/tessary, default ./build) on a virtual X server, waits
TESSARY_SCREENSHOT_WAIT seconds (default 3), saves a picture of the screen as OUTPUT.png (default
tessary-screenshot.png) and stops both. It builds and installs nothing; it needs Xvfb and ImageMagick's import."
  exit 0
fi
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-tessary-screenshot.png}
build=${2:-$here/build}
exe="$build/bin/tessary"
[ -x "$exe" ] || { echo "no console at $exe; build first" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is missing (apt-get install xvfb)" >&2; exit 1; }
command -v import >/dev/null || { echo "import is missing (apt-get install imagemagick)" >&2; exit 1; }

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
console=
cleanup() {
  [ -n "$console" ] && kill -TERM "$console" 2>/dev/null && wait "$console" 2>/dev/null
  kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  true
}
trap cleanup EXIT
for _ in $(seq 50); do
  DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
# Start-up may end with a message box (no machine found); the screenshot shows whatever is up by then.
DISPLAY=$display QT_QPA_PLATFORM=xcb "$exe" &
console=$!
sleep "${TESSARY_SCREENSHOT_WAIT:-3}"
DISPLAY=$display import -window root "$out"
echo "$out"
