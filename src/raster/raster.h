// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A 24-bit picture in memory: rows top-down, 3 bytes per pixel in the order red, green, blue.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessary {

struct Raster {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3

    Raster() = default;
    Raster(int w, int h) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3, 0) {}
    bool empty() const { return width <= 0 || height <= 0; }
    // Every pixel this colour.
    void fill(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
            rgb[i] = red;
            rgb[i + 1] = green;
            rgb[i + 2] = blue;
        }
    }
    std::uint8_t* at(int x, int y) { return rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3; }
    const std::uint8_t* at(int x, int y) const {
        return rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
};

// The picture pipeline's name for it.
namespace image {
using Raster = tessary::Raster;
}  // namespace image

}  // namespace tessary
