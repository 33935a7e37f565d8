#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Tessary and starts the console. When no USB serial adapter is plugged in
# (and TESSARY_PORT_DIR is not set), the virtual engraver is started too and the console finds it as COM1.
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: scripts/run.sh
Installs the missing Debian packages (scripts/setup.sh), builds only the console and the virtual engraver in
build/ and starts the console. When no USB serial adapter is plugged in and TESSARY_PORT_DIR is not set, it
also starts tessary-virtual-engraver, which the console then finds as COM1. Close the window or press Ctrl-C
here to stop both. Needs a display; without one, try: xvfb-run scripts/run.sh"
  exit 0
fi
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo --target tessary --target tessary-virtual-engraver
bin="$here/build/bin"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "tessary: no display found (DISPLAY is not set). Start it from a desktop session, or try: xvfb-run $0" >&2
  exit 1
fi

engraver_pid=""
port_dir=""
cleanup() {
  if [ -n "$engraver_pid" ]; then
    kill "$engraver_pid" 2>/dev/null || true
    wait "$engraver_pid" 2>/dev/null || true
  fi
  if [ -n "$port_dir" ]; then rm -rf "$port_dir"; fi
}
trap cleanup EXIT

if [ -z "${TESSARY_PORT_DIR:-}" ] && ! ls /dev/ttyUSB* /dev/ttyACM* >/dev/null 2>&1; then
  if [ -x "$bin/tessary-virtual-engraver" ]; then
    port_dir=$(mktemp -d "${TMPDIR:-/tmp}/tessary-ports.XXXXXX")
    echo "tessary: no USB serial adapter found; starting the virtual engraver as COM1 (log: $port_dir/engraver.log)"
    "$bin/tessary-virtual-engraver" --port-dir "$port_dir" --com 1 --baud 57600 >"$port_dir/engraver.log" 2>&1 &
    engraver_pid=$!
    for _ in $(seq 50); do [ -e "$port_dir/COM1" ] && break; sleep 0.1; done
    export TESSARY_PORT_DIR="$port_dir"
  else
    echo "tessary: no USB serial adapter found and no virtual engraver built; the console will find no machine."
  fi
fi

echo "tessary: starting the console; close its window or press Ctrl-C here to stop."
"$bin/tessary"
