// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/photo_measure.h"

#include <array>
#include <cstdint>

namespace tessary::intake {

bool looksLikePhoto(const Raster& picture) {
    if (picture.empty()) return false;
    std::array<std::uint64_t, 256> count{};
    const std::size_t pixels = picture.rgb.size() / 3;
    for (std::size_t i = 0; i < pixels * 3; i += 3) {
        const unsigned grey =
            (picture.rgb[i] * 77u + picture.rgb[i + 1] * 150u + picture.rgb[i + 2] * 29u) >> 8;
        ++count[grey];
    }
    int levels = 0;
    std::uint64_t midTones = 0;
    for (int grey = 0; grey < 256; ++grey) {
        if (count[grey] * 2000 >= pixels) ++levels;
        if (grey >= 48 && grey <= 208) midTones += count[grey];
    }
    return levels >= kPhotoLevels &&
           static_cast<double>(midTones) >= kPhotoMidTones * static_cast<double>(pixels);
}

}  // namespace tessary::intake
