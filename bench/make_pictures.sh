#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the benchmark pictures: a synthetic "photographic" 6000x4000 picture (plasma background, ~300 shaded
# shapes, texture and grain, so that it compresses like a camera photo) written as a 24 MP JPEG (q90, 4:2:0),
# 12 MP and 2 MP JPEGs, a 24 MP PNG and a 24 MP uncompressed TIFF.
# Usage: make_pictures.sh OUTDIR      (needs ImageMagick: apt-get install -y imagemagick; takes about a minute)
set -e
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: bench/make_pictures.sh OUTDIR
Makes the benchmark pictures in OUTDIR (a 6000 x 4000 synthetic photograph as 24, 12 and 2 megapixel JPEGs, a
PNG and an uncompressed TIFF; about 150 MB) with ImageMagick; it changes nothing else. Takes about a minute."
  exit 0
fi
out=${1:?usage: make_pictures.sh OUTDIR}
mkdir -p "$out"
cd "$out"
awk 'BEGIN{srand(7); for(i=0;i<300;i++){x=int(rand()*6000); y=int(rand()*4000); r=20+int(rand()*rand()*600);
  c=sprintf("rgba(%d,%d,%d,%.2f)", int(rand()*256), int(rand()*256), int(rand()*256), 0.35+rand()*0.6);
  t=rand(); if(t<0.4) printf "fill %s circle %d,%d %d,%d\n", c, x,y, x+r,y;
  else if(t<0.75) printf "fill %s rectangle %d,%d %d,%d\n", c, x,y, x+r*(0.3+rand()*2),y+r*(0.3+rand()*2);
  else printf "fill %s polygon %d,%d %d,%d %d,%d\n", c, x,y, x+r*(rand()*2-1),y+r*(rand()*2-1), x+r*(rand()*2-1),y+r*(rand()*2-1);}}' > shapes.mvg
convert -size 6000x4000 -seed 42 plasma:fractal -modulate 100,70 \
  \( -size 750x500 -seed 43 plasma:fractal -resize 6000x4000! -colorspace Gray \) -compose Overlay -composite \
  -draw "$(cat shapes.mvg)" -blur 0x0.8 \
  \( -size 3000x2000 xc:gray50 -seed 44 -attenuate 2 +noise Gaussian -blur 0x1 -resize 6000x4000! -colorspace Gray \) -compose SoftLight -composite \
  -seed 45 -attenuate 0.7 +noise Gaussian \
  -depth 8 big.ppm
convert big.ppm -quality 90 -sampling-factor 2x2,1x1,1x1 photo_24mp_6000x4000.jpg
convert big.ppm -resize 4240x2828! -quality 90 -sampling-factor 2x2,1x1,1x1 photo_12mp_4240x2828.jpg
convert big.ppm -resize 1732x1155! -quality 90 -sampling-factor 2x2,1x1,1x1 photo_2mp_1732x1155.jpg
convert big.ppm -define png:compression-level=6 photo_24mp_6000x4000.png
convert big.ppm -compress None photo_24mp_6000x4000.tif
rm -f big.ppm shapes.mvg
ls -l
