// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether a picture is a photograph, which the plain threshold turns into a dark silhouette, or line art
// and text, which it suits.
#include "raster/raster.h"

namespace tessary::intake {

// A photo spreads over many grey levels and keeps much of its area in the mid-tones; line art and text are
// mostly ground and ink, with grey only along antialiased edges, and flat graphics use few levels. So: at
// least kPhotoLevels grey levels each held by 1/2000 of the pixels, and at least kPhotoMidTones of the
// pixels between grey 48 and 208.
inline constexpr int kPhotoLevels = 48;
inline constexpr double kPhotoMidTones = 0.3;
bool looksLikePhoto(const Raster& picture);

}  // namespace tessary::intake
