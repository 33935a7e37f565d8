// SPDX-License-Identifier: GPL-3.0-or-later
// 载入数据 on arbitrary bytes, then every operation on whatever it accepted.
#include <cstddef>
#include <cstdint>
#include <span>

#include "image/bitmap.h"
#include "image/picture.h"

using tessary::image::Bitmap;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bitmap bitmap;
    if (!bitmap.载入数据(std::span(data, size))) return 0;
    const auto bytes = bitmap.ToByteSet();
    Bitmap again;
    if (!again.载入数据(bytes) || again.ToByteSet() != bytes) __builtin_trap();
    // Keep the work per input small: the operations below touch every pixel.
    if (static_cast<std::int64_t>(bitmap.width()) * bitmap.height() > (1 << 12)) return 0;
    bitmap.Rotate90(true);
    bitmap.Mirror(true, true).Rotate90(false);
    (void)tessary::image::toRaster(bitmap);
    return 0;
}
