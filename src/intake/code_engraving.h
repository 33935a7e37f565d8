// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures engraved dot for dot (QR codes): placed straight on the 512 x 512 engraving, never through the
// canvas, whose snapshot would stretch them by 512/510 and blur their modules.
#include "image/bitmap.h"
#include "raster/raster.h"

namespace tessary::intake {

inline constexpr int kFieldDots = 492;  // the 490-pixel field as it lies on the 512-dot engraving

// The engraving preview (512 x 512, 1 bit per pixel, 1 = white) of the picture alone, centred in the field,
// black where R + G + B < 383 as the threshold has it; mirrored left to right when asked. Parts off the
// engraving are cut off.
image::Bitmap engravingOfDots(const image::Raster& dots, bool mirror);

}  // namespace tessary::intake
