#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program of the Windows build under wine, in a wine prefix of its own that cannot reach this
# machine's serial ports. CTest runs every Windows test program through it.
set -euo pipefail
usage="Usage: scripts/windows/wine.sh [--prefix DIR] [--path FOLDER]... [--offscreen] PROGRAM.exe [ARGUMENT...]
       scripts/windows/wine.sh [--prefix DIR] --stop
       scripts/windows/wine.sh [--prefix DIR] [--offscreen] --environment
Runs PROGRAM.exe under wine (wine64) in the wine prefix DIR (default: \$TESSARY_WINEPREFIX, else
\${XDG_CACHE_HOME:-~/.cache}/tessary/wine), with the FOLDERs (Linux paths) on the Windows PATH so that DLLs are
found there too. The first run makes the prefix (about 15 s): Windows programs write their Qt messages to
stderr (QT_FORCE_STDERR_LOGGING=1 in its HKCU\\Environment), and no COM port of the prefix leads to a serial
device of this machine: wine's own detection of /dev/ttyS*, ttyUSB* and ttyACM* is overridden in
HKLM\\Software\\Wine\\Ports and whatever it links anyway is unlinked, so only links that tests make
(dosdevices/comN to a pseudo-terminal) remain. A wine session for the prefix is kept running (it ends 10
minutes after its last program, or with --stop), since a program then starts in hundredths of a second
instead of about one. With --offscreen the prefix's programs use Qt's offscreen platform (the test prefix).
Exits with the program's status. With --environment it readies the prefix and its session and prints, one
NAME=VALUE a line, the environment a program of the prefix runs in and WINE, the wine program to start it with
(for benchmarks, which time the program rather than this script)."

prefix=${TESSARY_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/tessary/wine}
paths=()
offscreen=false
stop=false
environment=false
while [ $# -gt 0 ]; do
  case $1 in
    --help | -h)
      echo "$usage"
      exit 0
      ;;
    --prefix)
      prefix=${2:?--prefix needs a folder}
      shift 2
      ;;
    --path)
      paths+=("${2:?--path needs a folder}")
      shift 2
      ;;
    --offscreen)
      offscreen=true
      shift
      ;;
    --stop)
      stop=true
      shift
      ;;
    --environment)
      environment=true
      shift
      ;;
    *) break ;;
  esac
done

mkdir -p "$prefix"
export WINEPREFIX=$(cd "$prefix" && pwd)
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# Wine names Unix files in the locale's character set: UTF-8, so that every name has its Unicode one.
export LC_ALL=C.UTF-8
# No installer dialogs for wine's .NET and HTML engines, which nothing here needs.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || {
  echo "tessary: wine64 is not installed (scripts/windows/build.sh installs it)" >&2
  exit 127
}

if $stop; then
  wineserver -k 2>/dev/null || true
  exit 0
fi
[ $# -gt 0 ] || $environment || {
  echo "$usage" >&2
  exit 2
}

# The session's socket: a new one means a new session, which must be set up again.
session_socket() {
  local dir=/tmp/.wine-$(id -u)
  # Debian's wine keeps the server in a folder of its own, named in the prefix.
  [ -f "$WINEPREFIX/wineserver" ] && dir=${TMPDIR:-/tmp}/$(cat "$WINEPREFIX/wineserver")
  printf '%s/server-%x-%x/socket' "$dir" $(stat -c '%d %i' "$WINEPREFIX")
}

# Unlinks every COM port that leads to a serial device of this machine (anything but a pseudo-terminal).
unlink_real_ports() {
  local link target
  for link in "$WINEPREFIX"/dosdevices/com*; do
    [ -L "$link" ] || continue
    target=$(readlink -f "$link" || true)
    case $target in
      /dev/pts/*) ;;
      /dev/*) rm -f "$link" ;;
    esac
  done
}

# Qt's offscreen platform on Windows reads its fonts from one folder, without fontconfig: the fonts the Linux
# tests draw with (DejaVu, and the fallback with CJK characters such as the full-width colon), linked into one.
link_fonts() {
  local folder=$WINEPREFIX/tessary-fonts font
  rm -rf "$folder"
  mkdir -p "$folder"
  find /usr/share/fonts -type f \( -iname 'DejaVuS*' -o -iname 'DroidSansFallback*' -o -iname 'wqy-*' \) \
    \( -name '*.ttf' -o -name '*.ttc' \) -print0 |
    while IFS= read -r -d '' font; do ln -sfn "$font" "$folder/$(basename "$font")"; done
}

ports_reg() {
  local n
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
  for n in $(seq 1 255); do printf '"COM%d"=""\r\n' "$n"; done
  printf '\r\n[HKEY_CURRENT_USER\\Environment]\r\n"QT_FORCE_STDERR_LOGGING"="1"\r\n'
  if $offscreen; then
    printf '"QT_QPA_PLATFORM"="offscreen"\r\n"QT_QPA_FONTDIR"="Z:%s/tessary-fonts"\r\n' "$WINEPREFIX"
  fi
}

start_session() {
  # Started with its output elsewhere: a server (or a helper it starts) that inherited the caller's output
  # would keep a pipe open that CTest waits on. The desktop process too, which wine otherwise starts from the
  # first program that needs a window, and which outlives that program by minutes. The lock's descriptor is
  # closed for them, or the session would hold the lock as long as it runs.
  wineserver -p600 </dev/null >/dev/null 2>&1 9>&- || true
  "$wine" wineboot </dev/null >/dev/null 2>&1 9>&- || true
  "$wine" explorer.exe /desktop </dev/null >/dev/null 2>&1 9>&- &
}

(
  flock 9
  ready=$WINEPREFIX/.tessary-ready-3
  if [ ! -f "$ready" ]; then
    start_session
    link_fonts
    reg=$(mktemp "$WINEPREFIX/ports.XXXXXX.reg")
    ports_reg >"$reg"
    "$wine" regedit /S "Z:$reg" </dev/null >/dev/null 2>&1 9>&-
    rm -f "$reg"
    # wine reads its port settings when a session starts: the next one starts with them.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    unlink_real_ports
    touch "$ready"
  fi
  socket=$(session_socket)
  if [ ! -S "$socket" ] || [ "$(stat -c %i "$socket")" != "$(cat "$WINEPREFIX/.tessary-session" 2>/dev/null)" ]; then
    start_session
    unlink_real_ports
    stat -c %i "$(session_socket)" >"$WINEPREFIX/.tessary-session" 2>/dev/null || true
  fi
) 9>"$WINEPREFIX.lock"

if $environment; then
  for name in WINEPREFIX WINEARCH WINEDEBUG LC_ALL WINEDLLOVERRIDES; do echo "$name=${!name}"; done
  echo "WINE=$wine"
  exit 0
fi
if [ ${#paths[@]} -gt 0 ]; then
  winepath=""
  for p in "${paths[@]}"; do winepath+="${winepath:+;}Z:$(cd "$p" && pwd)"; done
  export WINEPATH=$winepath
fi
exec "$wine" "$@"
