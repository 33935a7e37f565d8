#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the console under a virtual X server, photographs the screen and saves it as a PNG.
# Usage: screenshot.sh [OUTPUT.png] [BUILD_DIR] [CONSOLE-ARGUMENT...]
# (defaults: tessary-screenshot.png, ./build). Needs Xvfb, xdotool and ImageMagick's import.
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: scripts/screenshot.sh [OUTPUT.png] [BUILD_DIR] [CONSOLE-ARGUMENT...]
Starts the built console (BUILD_DIR/bin/tessary, default ./build) on a virtual X server with the arguments
given (a picture to take in), waits TESSARY_SCREENSHOT_WAIT seconds (default 3), types the keys of
TESSARY_SCREENSHOT_KEYS into it (xdotool key names separated by blanks, such as \"Return ctrl+shift+p\"),
saves a picture of the screen as OUTPUT.png (default tessary-screenshot.png) and stops both. The screen is
TESSARY_SCREENSHOT_SCREEN (default 1280x800). It builds and installs nothing; it needs Xvfb, xdotool (for
keys) and ImageMagick's import."
  exit 0
fi
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-tessary-screenshot.png}
build=${2:-$here/build}
shift $(($# < 2 ? $# : 2))
exe="$build/bin/tessary"
[ -x "$exe" ] || { echo "no console at $exe; build first" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is missing (apt-get install xvfb)" >&2; exit 1; }
command -v import >/dev/null || { echo "import is missing (apt-get install imagemagick)" >&2; exit 1; }
keys=${TESSARY_SCREENSHOT_KEYS:-}
[ -z "$keys" ] || command -v xdotool >/dev/null || { echo "xdotool is missing (apt-get install xdotool)" >&2; exit 1; }

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 "${TESSARY_SCREENSHOT_SCREEN:-1280x800}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
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
DISPLAY=$display QT_QPA_PLATFORM=xcb "$exe" "$@" &
console=$!
sleep "${TESSARY_SCREENSHOT_WAIT:-3}"
# With no window manager, keys go to the window that has the input focus: the console's newest one.
for key in $keys; do
  window=$(DISPLAY=$display xdotool search --onlyvisible --pid "$console" 2>/dev/null | tail -1) || true
  [ -z "$window" ] || DISPLAY=$display xdotool windowfocus --sync "$window" 2>/dev/null || true
  DISPLAY=$display xdotool key --clearmodifiers "$key"
  sleep 1
done
DISPLAY=$display import -window root "$out"
echo "$out"
