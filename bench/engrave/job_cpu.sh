#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The console's CPU time on a real X display (Xvfb) while the virtual engraver reports at the line's maximum
# (--pace 1152: 1,152 five-byte reports a second fill a 57,600-baud line), while it sits idle, connected, and
# while it watches for a machine that went away (the engraver is stopped) to come back.
# Each figure is the console process's user + system time from /proc over 10 s, in % of one core.
# Usage: bench/engrave/job_cpu.sh [BUILD_DIR]   (needs engrave_job_driver and tessary-virtual-engraver)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$here/build}
driver=$build/bin/engrave_job_driver
engraver=$build/bin/tessary-virtual-engraver
seconds=${SECONDS_MEASURED:-10}
for program in "$driver" "$engraver"; do
  [ -x "$program" ] || { echo "missing $program: cmake --build $build --target engrave_job_driver tessary-virtual-engraver" >&2; exit 2; }
done
command -v Xvfb >/dev/null || { echo "Xvfb is needed (apt-get install xvfb)" >&2; exit 2; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to the descriptor it is given.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb TESSARY_PORT_DIR=$work/ports
mkdir -p "$TESSARY_PORT_DIR"

"$engraver" --port-dir "$TESSARY_PORT_DIR" --com 1 --pace 1152 --out "$work" >"$work/engraver.log" 2>&1 &
engraver_pid=$!
pids+=($engraver_pid)
for _ in $(seq 100); do [ -e "$TESSARY_PORT_DIR/COM1" ] && break; sleep 0.1; done

ticks() {  # user + system time of a process, in clock ticks (fields 14 and 15 of /proc/PID/stat)
  local stat
  stat=$(<"/proc/$1/stat")
  stat=${stat##*) }
  set -- $stat
  echo $(( ${12} + ${13} ))
}

before_measuring=""
measure() {  # name, word the driver prints when it is ready, driver arguments...
  local name=$1 word=$2
  shift 2
  "$driver" "$@" >"$work/driver.out" 2>"$work/driver.err" &
  local pid=$!
  pids+=($pid)
  for _ in $(seq 300); do grep -qx "$word" "$work/driver.out" 2>/dev/null && break; sleep 0.1; done
  grep -qx "$word" "$work/driver.out" || { echo "$name: the console did not get ready" >&2; cat "$work/driver.err" >&2; exit 1; }
  $before_measuring
  sleep 1
  local hz before after
  hz=$(getconf CLK_TCK)
  before=$(ticks "$pid")
  sleep "$seconds"
  after=$(ticks "$pid")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  awk -v n="$name" -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "%-40s %5.2f %% of one core (%d ticks in %d s)\n", n, 100 * t / hz / s, t, s }'
}

measure "idle, connected" ready --idle
measure "job, 1152 reports/s" started
grep -E "carving|not read" "$work/engraver.log" | tail -n 3 || true
stop_engraver() { kill "$engraver_pid"; wait "$engraver_pid" 2>/dev/null || true; }
before_measuring=stop_engraver
measure "machine gone, watching for it" ready --idle
