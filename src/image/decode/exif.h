// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The orientation value of an EXIF block, read with every offset checked against the block's bounds.
#include <cstddef>
#include <cstdint>

namespace tessary::image::decode {

// The JPEG APP1 payload ("Exif\0\0" and a TIFF structure). The Orientation tag of its first IFD, 1..8;
// 1 when there is none or the block is malformed.
int exifOrientation(const std::uint8_t* data, std::size_t size);

}  // namespace tessary::image::decode
