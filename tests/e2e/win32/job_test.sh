#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A whole job with the Windows console under wine, as a user runs it: Tessary installed by its installer, the
# virtual engraver (a Linux program) on a pseudo-terminal linked as wine's COM1, a photo given on the command
# line. The console connects by its start-up scan; Send Image To Machine, Start, the reports drawn, Pause,
# Start; the engraver is unplugged and plugged in again and the console reconnects by itself; close.
# Usage: job_test.sh BUILD-DIR VIRTUAL-ENGRAVER PICTURE
set -euo pipefail
build=$(cd "$1" && pwd)
engraver=$2
picture=$3
source=$(cd "$(dirname "$0")/../../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tessary-job.XXXXXX")
. "$source/tests/package/win32/session.sh"
engraver_pid=
stop_engraver() {
  [ -n "$engraver_pid" ] && kill "$engraver_pid" 2>/dev/null && wait "$engraver_pid" 2>/dev/null
  engraver_pid=
  return 0
}
trap 'stop_engraver; stop_session; rm -rf "$work"' EXIT
[ -x "$engraver" ] || fail "no virtual engraver at $engraver (build the Linux tree first: scripts/test.sh)"

# The engraver on a new pty, linked as COM1 in its port folder and as wine's com1.
ports=$work/ports
out=$work/out
mkdir -p "$ports" "$out"
plug_in() {
  : >"$work/engraver.log"
  "$engraver" --port-dir "$ports" --com 1 --out "$out" --keep-bmp --pace 4000 --baud 57600 >"$work/engraver.log" 2>&1 &
  engraver_pid=$!
  wait_for 10 test -L "$ports/COM1" || fail "the virtual engraver made no port"
  ln -sfn "$(readlink "$ports/COM1")" "$prefix/dosdevices/com1"
}
engraver_said() { grep -q -- "$1" "$work/engraver.log"; }
expect_engraver() { wait_for "$2" engraver_said "$1" || fail "the engraver never said \"$1\": $(cat "$work/engraver.log")"; }

# Controls by their place in the main window's definition (client coordinates of their middles).
window=
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
start_button() { click 328 28; }
pause_button() { click 512 28; }
send_button() { click 880 52; }
# The log pane's text, as a user would copy it (wine hands the clipboard to X).
log_text() {
  click 100 300
  xdotool key --window "$window" ctrl+a ctrl+c 2>/dev/null
  sleep 0.3
  xclip -o -selection clipboard 2>/dev/null | tr -d '\r'
}
log_has() { log_text | grep -qF -- "$1"; }
expect_log() { wait_for "$2" log_has "$1" || fail "the log never said \"$1\"; it holds: $(log_text)"; }
red_pixels() {
  import -window "$window" "$work/shot.png"
  convert "$work/shot.png" -fill black -fuzz 5% +opaque '#ff0000' -fill white -opaque '#ff0000' \
    -format '%[fx:round(mean*w*h)]' info:
}

say "installing Tessary into a fresh wine prefix"
start_display
setup=$(ls "$build"/packages/tessary-*-win64-setup.exe 2>/dev/null | head -1)
[ -n "$setup" ] || fail "no installer in $build/packages (the windows_installer_made test makes it)"
wine_run "$setup" /S || fail "the silent install exited with $?"
installed=$prefix/drive_c/Program\ Files/Tessary
preview=$installed/Engraving\ Preview.bmp

say "starting the console with a photo, the engraver on COM1"
plug_in
cp "$picture" "$work/photo.jpg"
wine_run 'C:\Program Files\Tessary\tessary.exe' "Z:$work/photo.jpg" >"$work/console.log" 2>&1 &
console=$!
console_window() { xdotool search --name '^Tessary$' >/dev/null 2>&1; }
wait_for 60 console_window || fail "no console window"
window=$(xdotool search --name '^Tessary$' | head -1)
expect_engraver "line opened by the console" 30
expect_log "Succesed to connected the machine!" 30
expect_log "Port：COM1" 5
wait_for 30 test -f "$preview" || fail "the photo was not taken in"

say "Send Image To Machine"
send_button
expect_engraver "FE x8 Erase last image" 20
expect_engraver "image 32830 bytes" 30
pause=$(sed -n 's/.*image 32830 bytes, \([0-9]*\) ms after the erase burst.*/\1/p' "$work/engraver.log")
[ "$pause" -ge 3000 ] || fail "the image came $pause ms after the erase burst, not after the 3 s pause"
# The machine gets the preview's headers and its rows in the other order: it burns the first row it is given
# at the top.
python3 - "$out/image-1.bmp" "$preview" <<'EOF' || fail "the machine got other bytes than the preview's, flipped"
import sys
sent, preview = (open(name, "rb").read() for name in sys.argv[1:])
rows = [preview[62 + 64 * i : 126 + 64 * i] for i in range(512)]
sys.exit(0 if len(sent) == 32830 and sent == preview[:62] + b"".join(reversed(rows)) else 1)
EOF
expect_log "Sending completed !" 10

say "Start, Pause, Start"
start_button
expect_engraver "F1 Start carving: carving" 10
some_red() { [ "$(red_pixels)" -gt 1000 ]; }
wait_for 20 some_red || fail "no position report was drawn"
pause_button
expect_engraver "F2 Pause: paused at row" 10
start_button
expect_engraver "F1 Start carving: resumed at row" 10
expect_engraver "carving finished" 120
engraver_said "burnt pixels saved as $out/burn-1.png" || fail "the engraver saved no burn: $(tail -3 "$work/engraver.log")"
[ "$(compare -metric AE "$out/burn-1.png" "$out/image-1.png" null: 2>&1)" = 0 ] ||
  fail "what was burnt differs from the image sent (pixels lost or added across the pause)"
black=$(sed -n 's/.*512x512, \([0-9]*\) black pixels.*/\1/p' "$work/engraver.log")
drawn=$(red_pixels)
[ "$drawn" -ge $((black * 9 / 10)) ] || fail "$drawn of $black reported positions drawn"

say "unplugging the machine and plugging it in again"
stop_engraver
expect_log "Connection lost: the machine was unplugged or switched off" 20
plug_in
expect_engraver "line opened by the console" 30
expect_log "Reconnected to the machine" 10

say "closing the console"
wine_run taskkill /im tessary.exe >/dev/null 2>&1 || true
console_gone() { ! kill -0 "$console" 2>/dev/null; }
wait_for 30 console_gone || fail "the console did not close"
[ ! -e "$preview" ] || fail "the console left its preview file behind"
say "passed: connected by the scan, sent, carved with a pause, reconnected after a replug, closed"
