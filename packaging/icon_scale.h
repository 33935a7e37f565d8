// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Resampling of the program icon to the sizes of the icon theme.
#include <cstdint>
#include <vector>

namespace tessary::packaging {

// 8-bit RGBA pixels, rows top to bottom, not premultiplied (the layout of a PNG file).
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 4
};

// Area averaging when shrinking and bilinear interpolation when enlarging, both on premultiplied
// colour so that transparent pixels do not darken the edges. Empty result for an empty source or size.
RgbaImage scaleIcon(const RgbaImage& source, int width, int height);

}  // namespace tessary::packaging
