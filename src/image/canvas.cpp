// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/canvas.h"

#include <algorithm>
#include <cstring>

#include "image/area_scaler.h"
#include "image/nearest_scaler.h"
#include "image/picture.h"

namespace tessary::image {
namespace {

// The part of the rectangle that lies on the raster, as [x0, x1) x [y0, y1).
struct Clip {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

Clip clip(const Raster& r, int left, int top, int width, int height) {
    if (width <= 0 || height <= 0 || r.empty()) return {};
    Clip c;
    c.x0 = std::max(left, 0);
    c.y0 = std::max(top, 0);
    c.x1 = static_cast<int>(std::min<std::int64_t>(std::int64_t{left} + width, r.width));
    c.y1 = static_cast<int>(std::min<std::int64_t>(std::int64_t{top} + height, r.height));
    return c;
}

// The picture stretched to width x height with its top-left at (left, top): the clipped part, to `to`.
void drawNearest(const Raster& picture, int left, int top, int width, int height, const Clip& c,
                 const RowTarget& to) {
    NearestScaler scaler(width, height, c.x0 - left, c.y0 - top, c.x1 - c.x0, c.y1 - c.y0, to);
    scaler.begin(picture.width, picture.height);
    for (int y = 0; y < picture.height; ++y) scaler.row(y, picture.at(0, y));
}

}  // namespace

Resample modeForDisplayDepth(int bitsPerPixel) {
    return bitsPerPixel > 16 ? Resample::Halftone : Resample::Nearest;
}

void clear(Raster& canvas, int left, int top, int width, int height, std::uint32_t colour) {
    const Clip c = clip(canvas, left, top, width, height);
    if (c.empty()) return;
    const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8),
                                 static_cast<std::uint8_t>(colour >> 16)};
    for (int y = c.y0; y < c.y1; ++y) {
        std::uint8_t* out = canvas.at(c.x0, y);
        for (int x = c.x0; x < c.x1; ++x, out += 3) std::memcpy(out, rgb, 3);
    }
}

void setPixel(Raster& canvas, int x, int y, std::uint32_t colour) { clear(canvas, x, y, 1, 1, colour); }

void drawPicture(Raster& canvas, const Raster& picture, int left, int top, int width, int height,
                 Resample mode) {
    if (picture.empty()) return;
    const Clip c = clip(canvas, left, top, width, height);
    if (c.empty()) return;
    if (width == picture.width && height == picture.height) {
        const std::size_t bytes = static_cast<std::size_t>(c.x1 - c.x0) * 3;
        for (int y = c.y0; y < c.y1; ++y)
            std::memcpy(canvas.at(c.x0, y), picture.at(c.x0 - left, y - top), bytes);
        return;
    }
    const RowTarget to{canvas.at(c.x0, c.y0), static_cast<std::ptrdiff_t>(canvas.width) * 3, false};
    if (mode == Resample::Nearest) {
        drawNearest(picture, left, top, width, height, c, to);
        return;
    }
    if (enlargeArea(picture, width, height, c.x0 - left, c.y0 - top, c.x1 - c.x0, c.y1 - c.y0, to)) return;
    AreaScaler scaler(width, height, c.x0 - left, c.y0 - top, c.x1 - c.x0, c.y1 - c.y0);
    if (!scaler.begin(picture.width, picture.height)) return;
    for (int y = 0; y < picture.height; ++y) scaler.row(y, picture.at(0, y));
    scaler.writeTo(canvas, c.x0, c.y0);
}

void drawPicture(Raster& canvas, const Raster& picture, int left, int top) {
    drawPicture(canvas, picture, left, top, picture.width, picture.height, Resample::Nearest);
}

Raster stretch(const Raster& picture, int width, int height, Resample mode) {
    if (picture.empty() || width <= 0 || height <= 0) return {};
    if (static_cast<std::int64_t>(width) * height > AreaScaler::kMaxWindowPixels) return {};
    if (width == picture.width && height == picture.height) return picture;
    if (mode == Resample::Nearest) {
        Raster out(width, height);
        drawNearest(picture, 0, 0, width, height, Clip{0, 0, width, height},
                    {out.rgb.data(), std::ptrdiff_t{width} * 3, false});
        return out;
    }
    if (width >= picture.width && height >= picture.height) {
        Raster out(width, height);
        const RowTarget to{out.rgb.data(), std::ptrdiff_t{width} * 3, false};
        if (enlargeArea(picture, width, height, 0, 0, width, height, to)) return out;
    }
    AreaScaler scaler(width, height);
    if (!scaler.begin(picture.width, picture.height)) return {};
    for (int y = 0; y < picture.height; ++y) scaler.row(y, picture.at(0, y));
    return scaler.result();
}

Bytes takeSnapshot(const Raster& canvas, int width, int height, Resample mode) {
    if (width == canvas.width && height == canvas.height)
        return canvas.empty() ? Bytes{} : bmp24(canvas, true);
    const bool direct = mode == Resample::Nearest || (width >= canvas.width && height >= canvas.height);
    if (direct && !canvas.empty() && width > 0 && height > 0 &&
        static_cast<std::int64_t>(width) * height <= AreaScaler::kMaxWindowPixels) {
        // Stretched straight into the BMP rows, bottom row first.
        Bytes out = blankBmp24(width, height, true);
        const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(bmpStride(width, 24));
        const RowTarget to{out.data() + kBmpFileHeaderSize + kBmpInfoHeaderSize + (height - 1) * stride,
                           -stride, true};
        if (mode == Resample::Nearest) {
            drawNearest(canvas, 0, 0, width, height, Clip{0, 0, width, height}, to);
            return out;
        }
        if (enlargeArea(canvas, width, height, 0, 0, width, height, to)) return out;
    }
    const Raster stretched = stretch(canvas, width, height, mode);
    if (stretched.empty()) return {};
    return bmp24(stretched, true);
}

}  // namespace tessary::image
