#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The headless intake (tessary-prepare) of a 12-megapixel HEIC (one picture, and a grid of 512 x 512 tiles
# as phones store them) and WebP photo beside vipsthumbnail on the same files, as whole processes: median
# wall time and peak memory. Also an SVG logo of 2,000 paths.
# Usage: bench/formats.sh [PICTURE_DIR] [BUILD_DIR]   (RUNS, default 5, sets the timed runs per command)
# The pictures are made in PICTURE_DIR when missing (ImageMagick, heif-enc, cwebp; about a minute).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
pictures=${1:-$(mktemp -d)}
build=${2:-$here/build}
runs=${RUNS:-5}
prepare=$build/bin/tessary-prepare
[ -x "$prepare" ] || { echo "missing $prepare" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$here/bench/make_format_pictures.sh" "$pictures"

median() {
  hyperfine -N --style none --warmup 1 --runs "$runs" --export-json "$work/h.json" "$(printf '%q ' "$@")" \
    >/dev/null 2>&1
  python3 -c 'import json,sys; print("%.3f" % json.load(open(sys.argv[1]))["results"][0]["median"])' "$work/h.json"
}
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }

printf '%-18s %-14s %10s %10s\n' picture program "median s" "peak MiB"
for f in photo12.heic photo12_grid.heic photo12.webp logo2000.svg; do
  for program in prepare vipsthumbnail; do
    if [ "$program" = prepare ]; then cmd=("$prepare" "$pictures/$f" "$work/out.bmp")
    else command -v vipsthumbnail >/dev/null || continue; cmd=(vipsthumbnail "$pictures/$f" -s 490 -o "$work/out.png"); fi
    printf '%-18s %-14s %10s %10s\n' "$f" "$program" "$(median "${cmd[@]}")" "$(( $(peak "${cmd[@]}") / 1024 ))"
  done
done
