// SPDX-License-Identifier: GPL-3.0-or-later
// The EXIF orientation reader on arbitrary bytes: any answer but 1..8, or a read outside them, is a fault.
#include <cstddef>
#include <cstdint>

#include "image/decode/exif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int orientation = tessary::image::decode::exifOrientation(data, size);
    if (orientation < 1 || orientation > 8) __builtin_trap();
    return 0;
}
