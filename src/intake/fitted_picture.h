// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A picture file decoded straight to the size it is drawn at in the field, so that a large photo is never
// held (or written) at its full size: rows go from the decoder into the resampling as they come, and a
// JPEG is decoded at the smallest DCT scale that still covers the drawn size.
#include <string>

#include "image/canvas.h"
#include "image/decode/decode.h"
#include "intake/fitting.h"
#include "raster/raster.h"

namespace tessary::intake {

struct FittedPicture {
    image::DecodeInfo info;  // the picture's own size and format
    Placement placement;     // fitIntoField of its own size
    image::Raster pixels;    // placement.width x placement.height; empty when that is nothing
};

// kConvertOk, or the decoder's failure code (the picture is refused). Every format the console reads,
// SVG included.
int decodeFitted(const std::string& path, image::Resample mode, FittedPicture& out);

// The same over a file already open (a picture's bytes held in memory).
int decodeFitted(platform::UniqueFd fd, image::Resample mode, FittedPicture& out);

// A picture already in memory (rendered text), through the same fitting.
void fitRaster(const image::Raster& picture, image::Resample mode, FittedPicture& out);

}  // namespace tessary::intake
