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
    const int x = bitmap.width() - 1;
    const int y = bitmap.height() - 1;
    bitmap.GetPixel(x, y);
    bitmap.SetPixel(0, 0, 0x808080);
    bitmap.GetIndex(x, 0);
    bitmap.SetIndex(0, y, 1);
    for (int depth : {1, 4, 8, 16, 24, 32}) bitmap.ConvertDepth(depth).Rotate90(depth > 8);
    bitmap.Mirror(true, true).Rotate90(false);
    (void)tessary::image::toRaster(bitmap);
    return 0;
}
