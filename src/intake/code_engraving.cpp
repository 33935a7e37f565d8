// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/code_engraving.h"

#include <algorithm>

#include "intake/intake.h"

namespace tessary::intake {

image::Bitmap engravingOfDots(const image::Raster& dots, bool mirror) {
    image::Bitmap out = image::Bitmap::create(kSnapshotSize, kSnapshotSize, 1);
    if (out.empty()) return out;
    for (int y = 0; y < kSnapshotSize; ++y) std::fill_n(out.topRow(y), out.stride(), 0xFF);
    const int left = (kFieldDots - dots.width) / 2, top = (kFieldDots - dots.height) / 2;
    for (int y = std::max(0, -top); y < dots.height && top + y < kSnapshotSize; ++y)
        for (int x = std::max(0, -left); x < dots.width && left + x < kSnapshotSize; ++x) {
            const std::uint8_t* p = dots.at(x, y);
            if (p[0] + p[1] + p[2] >= 383) continue;
            const int column = mirror ? kSnapshotSize - 1 - (left + x) : left + x;
            out.topRow(top + y)[column / 8] &= static_cast<std::uint8_t>(~(0x80 >> (column % 8)));
        }
    return out;
}

}  // namespace tessary::intake
