// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds the 1-bit BMP file the console uploads, from the preview's black pixels (top row first).
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

namespace tessary::testing {

using PixelSet = std::set<std::pair<int, int>>;  // (y, x): iterates in the order the machine carves

inline void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline std::vector<std::uint8_t> wireImage(int width, int height, const PixelSet& black) {
    const std::size_t stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
    std::vector<std::uint8_t> file(62 + stride * height, 0);
    file[0] = 'B';
    file[1] = 'M';
    put32(file, 2, static_cast<std::uint32_t>(file.size()));
    put32(file, 10, 62);
    put32(file, 14, 40);
    put32(file, 18, static_cast<std::uint32_t>(width));
    put32(file, 22, static_cast<std::uint32_t>(height));
    file[26] = 1;
    file[28] = 1;
    file[58] = file[59] = file[60] = 0xFF;
    std::fill(file.begin() + 62, file.end(), 0xFF);
    for (const auto& [y, x] : black) {
        // The first stored row is the preview's top row.
        file[62 + stride * y + x / 8] &= static_cast<std::uint8_t>(~(0x80u >> (x % 8)));
    }
    return file;
}

}  // namespace tessary::testing
