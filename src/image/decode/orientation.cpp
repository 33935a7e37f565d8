// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/decode/orientation.h"

#include <cstring>

namespace tessary::image {

Raster uprightRaster(Raster stored, int orientation) {
    orientation = validOrientation(orientation);
    if (orientation == 1 || stored.empty()) return stored;
    const int w = stored.width, h = stored.height;
    const bool swap = swapsSides(orientation);
    Raster out(swap ? h : w, swap ? w : h);
    for (int y = 0; y < out.height; ++y) {
        std::uint8_t* dst = out.at(0, y);
        for (int x = 0; x < out.width; ++x, dst += 3) {
            int sx = x, sy = y;
            switch (orientation) {
                case 2:
                    sx = w - 1 - x;
                    break;
                case 3:
                    sx = w - 1 - x, sy = h - 1 - y;
                    break;
                case 4:
                    sy = h - 1 - y;
                    break;
                case 5:
                    sx = y, sy = x;
                    break;
                case 6:
                    sx = y, sy = h - 1 - x;
                    break;
                case 7:
                    sx = w - 1 - y, sy = h - 1 - x;
                    break;
                default:
                    sx = w - 1 - y, sy = x;
                    break;  // 8
            }
            std::memcpy(dst, stored.at(sx, sy), 3);
        }
    }
    return out;
}

}  // namespace tessary::image
