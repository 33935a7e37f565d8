// SPDX-License-Identifier: GPL-3.0-or-later
#include <array>

#include "image/bitmap.h"

namespace tessary::image {
namespace {

constexpr std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | (g << 8) | (b << 16);
}

constexpr std::array<std::uint32_t, 2> kBlackWhite = {rgb(0, 0, 0), rgb(255, 255, 255)};

// The sixteen colours of the classic display adapters, dark ones first.
constexpr std::array<std::uint32_t, 16> kSixteen = {
    rgb(0, 0, 0),       rgb(128, 0, 0),   rgb(0, 128, 0),   rgb(128, 128, 0),
    rgb(0, 0, 128),     rgb(128, 0, 128), rgb(0, 128, 128), rgb(192, 192, 192),
    rgb(128, 128, 128), rgb(255, 0, 0),   rgb(0, 255, 0),   rgb(255, 255, 0),
    rgb(0, 0, 255),     rgb(255, 0, 255), rgb(0, 255, 255), rgb(255, 255, 255)};

// A 3-3-2 colour cube: index bits rrrgggbb, so black is 0 and white 255.
constexpr std::array<std::uint32_t, 256> makeCube() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        const std::uint32_t r = (i >> 5) * 255 / 7;
        const std::uint32_t g = ((i >> 2) & 7) * 255 / 7;
        const std::uint32_t b = (i & 3) * 255 / 3;
        t[i] = rgb(r, g, b);
    }
    return t;
}
constexpr std::array<std::uint32_t, 256> kCube = makeCube();

}  // namespace

std::span<const std::uint32_t> defaultColourTable(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 1:
            return kBlackWhite;
        case 4:
            return kSixteen;
        case 8:
            return kCube;
        default:
            return {};
    }
}

NearestPaletteIndex::NearestPaletteIndex(std::span<const std::uint32_t> table)
    : table_(table.begin(), table.end()) {}

int NearestPaletteIndex::operator()(std::uint32_t colour) {
    colour &= 0xFFFFFFu;
    const std::size_t slot = (colour * 2654435761u) >> 20 & (kMemoSize - 1);
    if (memoColour_[slot] == (colour | 0x01000000u)) return memoIndex_[slot];
    const int r = colour & 0xFF;
    const int g = (colour >> 8) & 0xFF;
    const int b = (colour >> 16) & 0xFF;
    int best = 0;
    int bestDistance = 0x7FFFFFFF;
    for (std::size_t i = 0; i < table_.size(); ++i) {
        const int dr = r - static_cast<int>(table_[i] & 0xFF);
        const int dg = g - static_cast<int>((table_[i] >> 8) & 0xFF);
        const int db = b - static_cast<int>((table_[i] >> 16) & 0xFF);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
            if (d == 0) break;
        }
    }
    // Indices above 255 cannot be stored in any depth, so they are never memoised.
    if (best < 256) {
        memoColour_[slot] = colour | 0x01000000u;
        memoIndex_[slot] = static_cast<std::uint8_t>(best);
    }
    return best;
}

}  // namespace tessary::image
