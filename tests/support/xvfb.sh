# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the tests that need a real X display: start_xvfb WORK SIZE starts Xvfb at the first free display
# (its pid added to the caller's pids array) and exports DISPLAY once a client can connect, since Qt ends a
# program that cannot. -noreset: a server that resets when its last client leaves refuses connections
# meanwhile, and a test's short-lived clients (xdotool looking for the window) would make the program's own
# connection fail now and then. A display that takes no client within 5 s is given up for a new one.
x_client_connects() {
  /usr/bin/python3 -c 'import sys; from Xlib import display; display.Display(sys.argv[1]).close()' "$1" 2>/dev/null
}

start_xvfb() {
  local work=$1 size=$2 try pid
  for try in 1 2 3; do
    rm -f "$work/display"
    Xvfb -displayfd 7 -screen 0 "${size}x24" -nolisten tcp -noreset 7>"$work/display" 2>/dev/null &
    pid=$!
    pids+=("$pid")
    for _ in $(seq 50); do
      if [ -s "$work/display" ] && x_client_connects ":$(cat "$work/display")"; then
        export DISPLAY=:$(cat "$work/display")
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  return 1
}
