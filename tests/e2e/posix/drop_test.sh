#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The console on a real X display (Xvfb), connected to the virtual engraver, takes in a picture dropped on its
# window as a file manager drops it (XDND), with a non-Latin name: its preview file must be what
# tessary-prepare makes of the same picture. Then a second start with another picture (a second double-click,
# "Open with") hands it to the running console and ends: the one window takes it in.
# Usage: drop_test.sh BIN_DIR PICTURE SECOND_PICTURE
set -euo pipefail
bin=$1
source_picture=$2
second_picture=$3
here=$(cd "$(dirname "$0")/../../.." && pwd)
fail() {
  echo "drop_test: FAILED: $*" >&2
  exit 1
}
for tool in Xvfb xdotool /usr/bin/python3; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done
/usr/bin/python3 -c 'import Xlib' 2>/dev/null || fail "python3-xlib is missing (scripts/setup.sh installs it)"

work=$(mktemp -d "${TMPDIR:-/tmp}/tessary-drop.XXXXXX")
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

source "$here/tests/support/xvfb.sh"
start_xvfb "$work" 1280x800 || fail "Xvfb did not start, or took no client"

"$bin/tessary-virtual-engraver" --port-dir "$work/ports" --com 1 >"$work/engraver.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "$work/ports/COM1" ] && break; sleep 0.1; done
[ -e "$work/ports/COM1" ] || fail "the virtual engraver made no port"

# A copy of the console of its own, so that its preview file (beside the program) is this test's alone.
mkdir "$work/bin" "$work/config"
cp "$bin/tessary" "$work/bin/"
picture="$work/фото 2.png"
cp "$source_picture" "$picture"
"$bin/tessary-prepare" "$picture" "$work/expected.bmp" >/dev/null || fail "tessary-prepare did not take in the picture"

mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
(cd "$work" && TESSARY_PORT_DIR="$work/ports" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb \
  exec "$work/bin/tessary") >"$work/console.log" 2>&1 &
console=$!
pids+=("$console")
window=
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --pid "$console" --name '^Tessary' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "the console's window did not come within 10 s ($(cat "$work/console.log"))"
for _ in $(seq 100); do [ -n "$(find /proc/[0-9]*/fd -lname "$(readlink -f "$work/ports/COM1")" 2>/dev/null | head -1)" ] && break; sleep 0.1; done
sleep 1
read -r x y <<<"$(xdotool getwindowgeometry "$window" | awk '/Position/ { split($2, p, ","); print p[1], p[2] }')"
/usr/bin/python3 "$here/tests/support/xdnd_drop.py" "$window" "$picture" $((x + 300)) $((y + 250)) ||
  fail "the console did not take the picture dropped on it ($(cat "$work/console.log"))"
preview="$work/bin/Engraving Preview.bmp"
for _ in $(seq 100); do cmp -s "$preview" "$work/expected.bmp" 2>/dev/null && break; sleep 0.1; done
cmp -s "$preview" "$work/expected.bmp" || fail "the preview file is not tessary-prepare's for the dropped picture"
kill -0 "$console" || fail "the console ended"
echo "drop_test: 'фото 2.png' dropped on the window (XDND) was taken in as tessary-prepare takes it in"

second="$work/照片 3.jpg"
cp "$second_picture" "$second"
"$bin/tessary-prepare" "$second" "$work/expected-second.bmp" >/dev/null || fail "tessary-prepare did not take in $second"
status=0
(cd "$work" && TESSARY_PORT_DIR="$work/ports" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb \
  exec timeout 20 "$work/bin/tessary" "照片 3.jpg") >"$work/second.log" 2>&1 || status=$?
[ "$status" = 0 ] || fail "the second start ended with $status: $(cat "$work/second.log")"
grep -q "already runs" "$work/second.log" || fail "the second start said nothing of the first: $(cat "$work/second.log")"
for _ in $(seq 100); do cmp -s "$preview" "$work/expected-second.bmp" 2>/dev/null && break; sleep 0.1; done
cmp -s "$preview" "$work/expected-second.bmp" || fail "the running console did not take in the second start's picture"
windows=$(xdotool search --onlyvisible --name '^Tessary' 2>/dev/null | wc -l)
[ "$windows" = 1 ] || fail "$windows console windows after the second start"
kill -0 "$console" || fail "the console ended"
echo "drop_test: a second start handed '照片 3.jpg' to the running console, which took it in"
