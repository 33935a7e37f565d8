#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the headless intake (tessary-prepare) against ImageMagick, vipsthumbnail and the floors (libjpeg's
# decoding at the chosen DCT scale, zlib's inflating, reading and averaging the TIFF) as whole processes, in
# one run, and prints the medians, the ratios and the peak memory.
# Usage: bench/compare.sh [PICTURE_DIR] [BUILD_DIR]
#   PICTURE_DIR  the pictures of bench/make_pictures.sh; made there when missing (default: a new
#                temporary folder)
#   BUILD_DIR    a build with tessary-prepare and intake_floor in bin/ (default: ./build)
# RUNS (default 15) sets the timed runs per command. Needs hyperfine (falls back to /usr/bin/time).
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: bench/compare.sh [PICTURE_DIR] [BUILD_DIR]
Times the headless intake (BUILD_DIR/bin/tessary-prepare) against ImageMagick, vipsthumbnail and the decoding
floors as whole processes on the benchmark pictures (made with bench/make_pictures.sh into a temporary folder
when PICTURE_DIR has none) and prints medians, ratios and peak memory. RUNS sets the runs per command (15).
It builds and installs nothing."
  exit 0
fi
here=$(cd "$(dirname "$0")/.." && pwd)
pictures=${1:-}
build=${2:-$here/build}
runs=${RUNS:-15}

prepare=$build/bin/tessary-prepare
floor=$build/bin/intake_floor
for program in "$prepare" "$floor"; do
  [ -x "$program" ] || { echo "missing $program: cmake --build $build --target tessary-prepare intake_floor" >&2; exit 2; }
done
# The real ImageMagick, not a wrapper that may stand before it in PATH.
convert=${CONVERT:-$([ -x /usr/bin/convert ] && echo /usr/bin/convert || command -v convert || true)}
vips=$(command -v vipsthumbnail || true)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -z "$pictures" ]; then pictures=$work/pictures; fi
if [ ! -f "$pictures/photo_24mp_6000x4000.jpg" ]; then
  echo "making the benchmark pictures in $pictures (about a minute)" >&2
  "$here/bench/make_pictures.sh" "$pictures" >/dev/null
fi

# median_seconds COMMAND...: the median wall time of $runs runs, after two warm-up runs. The outputs are
# removed before each run, so every tool writes a new file, as in a batch.
median_seconds() {
  if command -v hyperfine >/dev/null; then
    hyperfine -N --style none --warmup 2 --runs "$runs" --prepare "rm -f $work/out.bmp $work/out.png" \
      --export-json "$work/h.json" "$(printf '%q ' "$@")" >/dev/null 2>&1
    python3 -c 'import json,sys; r = json.load(open(sys.argv[1]))["results"][0]
print("%.4f" % r["median"]); open(sys.argv[2], "w").write("%.4f\n" % (r["user"] + r["system"]))' "$work/h.json" "$work/cpu"
  else
    local times=()
    "$@" >/dev/null 2>&1; "$@" >/dev/null 2>&1
    for _ in $(seq "$runs"); do
      rm -f "$work/out.bmp" "$work/out.png"
      /usr/bin/time -f %e -o "$work/time" "$@" >/dev/null 2>&1 || true
      times+=("$(tail -1 "$work/time")")
    done
    echo - >"$work/cpu"
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
  fi
}

# peak_mib COMMAND...: the peak resident memory of one run.
peak_mib() {
  rm -f "$work/out.bmp" "$work/out.png"
  /usr/bin/time -f %M -o "$work/time" "$@" >/dev/null 2>&1 || true
  tail -1 "$work/time" | awk '{printf "%.1f", $1 / 1024}'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

printf '%-32s %8s %8s %8s %8s %8s %8s %8s %9s %8s %8s %8s\n' picture prepare floor convert vips \
  'p/floor' 'cv/p' 'p/vips' 'cpu p/fl' 'MiB p' 'MiB cv' 'MiB vips'
# The PNG twice: against zlib's inflating alone, and against libpng's reading of the stored rows; the TIFF
# against reading and averaging it, and against reading the file alone.
for entry in photo_24mp_6000x4000.jpg photo_12mp_4240x2828.jpg photo_2mp_1732x1155.jpg \
             photo_24mp_6000x4000.png photo_24mp_6000x4000.png:pngrows photo_24mp_6000x4000.tif \
             photo_24mp_6000x4000.tif:file; do
  picture=${entry%%:*}
  in=$pictures/$picture
  [ -f "$in" ] || continue
  case $entry in
    *:*) floor_mode=${entry#*:}; picture="$picture ($floor_mode)" ;;
    *.jpg) floor_mode=jpeg ;;
    *.png) floor_mode=png ;;
    *) floor_mode=tiff ;;
  esac
  t_prepare=$(median_seconds "$prepare" "$in" "$work/out.bmp")
  c_prepare=$(cat "$work/cpu")
  t_floor=$(median_seconds "$floor" "$floor_mode" "$in")
  c_floor=$(cat "$work/cpu")
  m_prepare=$(peak_mib "$prepare" "$in" "$work/out.bmp")
  t_convert=-; t_vips=-; m_convert=-; m_vips=-
  if [ -n "$convert" ]; then
    im=("$convert" "$in" -resize 490x490 -background '#f0f0f0' -gravity center -extent 510x510 -resize '512x512!'
        -intensity Average -threshold 50% -type bilevel "BMP3:$work/out.bmp")
    t_convert=$(median_seconds "${im[@]}")
    m_convert=$(peak_mib "${im[@]}")
  fi
  if [ -n "$vips" ]; then
    t_vips=$(median_seconds "$vips" "$in" -s 490 -o "$work/out.png")
    m_vips=$(peak_mib "$vips" "$in" -s 490 -o "$work/out.png")
  fi
  printf '%-32s %8s %8s %8s %8s %8s %8s %8s %9s %8s %8s %8s\n' "$picture" "$t_prepare" "$t_floor" "$t_convert" \
    "$t_vips" "$(ratio "$t_prepare" "$t_floor")" "$(ratio "$t_convert" "$t_prepare")" "$(ratio "$t_prepare" "$t_vips")" \
    "$(ratio "$c_prepare" "$c_floor")" "$m_prepare" "$m_convert" "$m_vips"
done
echo "times: median wall seconds of $runs runs; cpu p/fl: user+system time of prepare over the floor's; goals: p/floor <= 1.3, cv/p >= 6 and p/vips < 0.8 (24 MP JPEG), MiB prep < 40"
