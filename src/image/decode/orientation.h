// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The eight ways a camera stores a picture (the EXIF and TIFF orientation values 1..8) and the turn or
// mirror that sets a stored picture upright.
#include "raster/raster.h"

namespace tessary::image {

// Values outside 1..8 count as 1: the picture is taken as stored.
inline int validOrientation(int orientation) {
    return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

// Whether the upright picture has the stored picture's width as its height (5..8 turn it a quarter).
inline bool swapsSides(int orientation) { return validOrientation(orientation) >= 5; }

// The stored picture set upright; orientation 1 gives it back unchanged.
Raster uprightRaster(Raster stored, int orientation);

}  // namespace tessary::image
