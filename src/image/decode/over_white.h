// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Transparent pixels put over white, as the engraver's field is white.
#include <algorithm>
#include <cstdint>

namespace tessary::image::decode {

// Red, green, blue, alpha per pixel; colour multiplied by alpha (premultiplied) or not.
inline void rgbaOverWhite(const std::uint8_t* rgba, std::uint8_t* rgb, int width, bool premultiplied) {
    for (int x = 0; x < width; ++x, rgba += 4, rgb += 3) {
        const unsigned a = rgba[3];
        for (int i = 0; i < 3; ++i) {
            const unsigned c = rgba[i];
            rgb[i] = static_cast<std::uint8_t>(premultiplied ? std::min(255u, c + 255 - a)
                                                             : (c * a + 255 * (255 - a) + 127) / 255);
        }
    }
}

}  // namespace tessary::image::decode
