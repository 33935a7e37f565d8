#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the pictures of this folder and their readings by independent decoders (NAME.ppm, 8 bits over white).
# Needs imagemagick, netpbm, python3-pil, libjpeg-turbo-progs' library headers (libjpeg-dev) and a C compiler.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
plain="-define png:exclude-chunk=all"
convert -size 48x64 gradient:'#FF2000'-'#0040FF' -rotate 90 -fill 'rgb(30,160,60)' -draw 'circle 32,24 32,34' \
        -fill white -draw 'rectangle 4,4 19,15' -fill black -draw 'rectangle 44,30 59,43' -depth 16 $plain \
        PNG48:"$work/src16.png"
convert -size 64x48 gradient:white-black $plain "$work/mask.png"

# 16 bits per sample: grey, grey and alpha, colour, colour and alpha. Read by netpbm, put over white at 16 bits.
convert "$work/src16.png" $plain PNG48:png16_rgb.png
convert "$work/src16.png" -colorspace Gray -depth 16 -define png:color-type=0 $plain png16_grey.png
convert "$work/src16.png" "$work/mask.png" -alpha off -compose CopyOpacity -composite -depth 16 $plain \
        PNG64:png16_rgba.png
convert png16_grey.png "$work/mask.png" -alpha off -compose CopyOpacity -composite -depth 16 \
        -define png:color-type=4 $plain png16_grey_alpha.png
for f in png16_*.png; do
    pngtopam -mix -background='#ffffff' "$f" | pamdepth 255 | pamtopnm > "$work/reading.pnm"
    convert "$work/reading.pnm" -depth 8 "${f}.ppm"
done

# BMP of every depth and coding; read by ImageMagick, except: the one with alpha by Pillow (ImageMagick
# rounds its blend with white down), and the one with codes past the picture, whose reading is that of the
# same codes without them (ImageMagick carries a run past a row's end into the next row).
convert "$work/src16.png" -depth 8 $plain PNG24:"$work/src8.png"
convert "$work/src8.png" "$work/mask.png" -alpha off -compose CopyOpacity -composite -depth 8 $plain \
        PNG32:"$work/srca8.png"
python3 make_bmps.py "$work/src8.png" "$work/srca8.png"
for f in pal1 pal4 pal8 rle4 rle8 rgb555 rgb565 rgb32; do
    convert "$f.bmp" -depth 8 "$f.bmp.ppm"
done
cp rle8.bmp.ppm rle8_past.bmp.ppm
python3 -c 'from PIL import Image
picture = Image.open("rgba32_v5.bmp").convert("RGBA")
white = Image.new("RGBA", picture.size, (255, 255, 255, 255))
white.alpha_composite(picture)
white.convert("RGB").save("rgba32_v5.bmp.ppm")'

# CMYK and YCCK JPEG; read by Pillow, which takes every four-component JPEG as inverted (Adobe's way): the
# plain file's reading is inverted back before its colours are worked out.
cc make_inks.c -ljpeg -o "$work/make_inks"
convert "$work/src8.png" -depth 8 ppm:- | "$work/make_inks"
python3 - <<'PY'
from PIL import Image, ImageChops
for name in ("cmyk_plain.jpg", "cmyk_adobe.jpg", "ycck_adobe.jpg"):
    picture = Image.open(name)
    if "adobe" not in picture.info:
        picture = ImageChops.invert(picture)
    picture.convert("RGB").save(name + ".ppm")
PY
