// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// libheif and the decoders under it check the size of a picture only once they have allocated and decoded
// it: a few hundred bytes that claim a huge one would take gigabytes and minutes. What a HEIF file declares
// (HEVC parameter sets in hvcC and in the coded data, AV1 sequence and frame headers, grid and overlay
// canvases, the tiles of a grid together) is read here first.
#include "image/decode/decoders.h"

namespace tessary::image::decode {

// Every declared size fits the pixel limit; false also when the file's item tables cannot be read.
bool declaredSizesWithinLimit(const Input& in);

}  // namespace tessary::image::decode
