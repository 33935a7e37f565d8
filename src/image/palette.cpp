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

}  // namespace tessary::image
