// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drawing on a canvas's off-screen image (a DrawPanel's client area) and taking snapshots of it.
// Colours are 0x00BBGGRR. Everything is clipped to the raster.
#include <cstdint>

#include "image/bitmap.h"
#include "raster/raster.h"

namespace tessary::image {

enum class Resample {
    Halftone,  // area averaging
    Nearest,   // whole source rows and columns dropped or repeated, no blending
};

// Displays of more than 16 bits per pixel stretch in halftone.
Resample modeForDisplayDepth(int bitsPerPixel);

void clear(Raster& canvas, int left, int top, int width, int height, std::uint32_t colour);
void setPixel(Raster& canvas, int x, int y, std::uint32_t colour);

// Scales the whole picture to exactly width x height with its top-left at (left, top), replacing the
// canvas pixels it covers. Nothing is drawn when width or height is 0 or less.
void drawPicture(Raster& canvas, const Raster& picture, int left, int top, int width, int height,
                 Resample mode);
// At the picture's own size.
void drawPicture(Raster& canvas, const Raster& picture, int left, int top);

// The whole raster stretched to width x height (a copy when the size is the same); empty when the
// raster is empty or the size is not positive.
Raster stretch(const Raster& picture, int width, int height, Resample mode);

// 24-bit BMP data of the raster stretched to width x height: pixel offset 54, rows bottom-up,
// image-size field filled in. Empty when nothing can be taken.
Bytes takeSnapshot(const Raster& canvas, int width, int height, Resample mode);

}  // namespace tessary::image
