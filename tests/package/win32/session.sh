# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the Windows package and job tests: a private X display and a fresh wine prefix (through
# scripts/windows/wine.sh, so that no COM port leads to this machine's serial devices), both gone at exit, and
# bounded waits. Needs $source (the clone) and $work (a private folder).

say() { printf '[%s %s] %s\n' "$(basename "$0" .sh)" "$(date -u +%H:%M:%S)" "$*"; }
fail() {
  say "FAILED: $*" >&2
  exit 1
}

# Waits up to $1 seconds until the command after it succeeds.
wait_for() {
  local limit=$1 end
  shift
  end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.2
  done
}

start_display() {
  local fd_file=$work/display
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset >"$fd_file" 2>/dev/null &
  xvfb_pid=$!
  wait_for 20 test -s "$fd_file" || fail "Xvfb did not start"
  export DISPLAY=:$(head -1 "$fd_file")
}

prefix=$work/prefix
wine_run() { "$source/scripts/windows/wine.sh" --prefix "$prefix" "$@"; }
# A registry value as wine's reg prints it; empty when the key or value is missing (reg then fails, saying so
# on its standard output).
reg_value() {
  local out
  out=$(wine_run reg query "$1" ${2:+/v "$2"} 2>/dev/null) || return 0
  printf '%s\n' "$out" | tr -d '\r'
}

stop_session() {
  "$source/scripts/windows/wine.sh" --prefix "$prefix" --stop >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  return 0
}
