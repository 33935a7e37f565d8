#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the pictures of the other formats' benchmarks: a 12-megapixel HEIC (one picture, and a grid of 512 x 512
# tiles as phones store them), the same photo as WebP, and an SVG logo of 2,000 paths.
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: bench/make_format_pictures.sh OUTDIR
Makes in OUTDIR what is missing of photo12.jpg, photo12.heic, photo12_grid.heic, photo12.webp (4000 x 3000;
the grid 4032 x 3024) and logo2000.svg, with ImageMagick, heif-enc (libheif-examples) and cwebp (webp).
Takes about a minute; changes nothing else."
  exit 0
fi
here=$(cd "$(dirname "$0")/.." && pwd)
pictures=${1:?usage: make_format_pictures.sh OUTDIR}
convert=$([ -x /usr/bin/convert ] && echo /usr/bin/convert || command -v convert)
for tool in "$convert" heif-enc cwebp; do
  command -v "$tool" >/dev/null ||
    { echo "make_format_pictures.sh: ${tool:-convert} is missing (apt-get install imagemagick libheif-examples webp)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$pictures"
if [ ! -f "$pictures/photo12.heic" ]; then
  "$convert" -size 4000x3000 plasma:fractal -blur 0x2 -quality 92 "$pictures/photo12.jpg"
  heif-enc -q 80 "$pictures/photo12.jpg" -o "$pictures/photo12.heic" >/dev/null
  cwebp -quiet -q 80 "$pictures/photo12.jpg" -o "$pictures/photo12.webp"
fi
if [ ! -f "$pictures/photo12_grid.heic" ]; then
  "$convert" "$pictures/photo12.jpg" -resize '4032x3024!' "PNG24:$work/grid.png"
  python3 "$here/tests/data/heif/make_grid.py" "$work/grid.png" 8 6 512 "$pictures/photo12_grid.heic"
fi
[ -f "$pictures/logo2000.svg" ] || python3 "$here/bench/make_svg_logo.py" "$pictures/logo2000.svg" 2000
