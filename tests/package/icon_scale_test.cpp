// SPDX-License-Identifier: GPL-3.0-or-later
#include "icon_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using tessary::packaging::RgbaImage;
using tessary::packaging::scaleIcon;

RgbaImage filled(int w, int h, std::vector<std::uint8_t> (*pixelAt)(int x, int y)) {
    RgbaImage image{w, h, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (std::uint8_t v : pixelAt(x, y)) image.pixels.push_back(v);
    return image;
}

std::vector<std::uint8_t> pixel(const RgbaImage& image, int x, int y) {
    const auto at = image.pixels.begin() + (static_cast<std::ptrdiff_t>(y) * image.width + x) * 4;
    return {at, at + 4};
}

class ThemeSizes : public testing::TestWithParam<int> {};

TEST_P(ThemeSizes, FlatColourStaysExactlyTheSameEverywhere) {
    const auto icon = filled(128, 128, [](int, int) { return std::vector<std::uint8_t>{0, 128, 128, 255}; });
    const int size = GetParam();
    const auto scaled = scaleIcon(icon, size, size);
    ASSERT_EQ(scaled.pixels.size(), static_cast<std::size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            ASSERT_EQ(pixel(scaled, x, y), (std::vector<std::uint8_t>{0, 128, 128, 255}));
}

// Transparent black around an opaque shape must thin the alpha at the edge, never darken the colour.
TEST_P(ThemeSizes, TransparentSurroundLeavesNoDarkFringe) {
    const auto icon = filled(128, 128, [](int x, int y) {
        const bool inside = x >= 5 && x < 121 && y >= 7 && y < 119;
        return inside ? std::vector<std::uint8_t>{250, 120, 10, 255} : std::vector<std::uint8_t>{0, 0, 0, 0};
    });
    const int size = GetParam();
    const auto scaled = scaleIcon(icon, size, size);
    int partial = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const auto p = pixel(scaled, x, y);
            if (p[3] == 0) continue;
            partial += p[3] < 255;
            ASSERT_NEAR(p[0], 250, 1) << x << "," << y;
            ASSERT_NEAR(p[1], 120, 1) << x << "," << y;
            ASSERT_NEAR(p[2], 10, 1) << x << "," << y;
        }
    }
    if (size != 128) {
        EXPECT_GT(partial, 0);  // the edge is softened, not cut
    }
}

INSTANTIATE_TEST_SUITE_P(IconTheme, ThemeSizes, testing::Values(16, 24, 32, 48, 64, 128, 256));

TEST(IconScale, ShrinkingAveragesTheCoveredArea) {
    struct Case {
        int from, to;
        std::vector<std::uint8_t> expectedGreys;  // first row of the result
    };
    // Columns alternate black and white; rows are all alike.
    const Case cases[] = {
        {2, 1, {128}},       // half and half
        {4, 2, {128, 128}},  // each output pixel covers one black and one white column
        {3, 2, {85, 85}},    // 1.5 columns each: a whole black one and half the white one
        {6, 4, {85, 85, 170, 170}},
    };
    for (const auto& c : cases) {
        RgbaImage image{c.from, 1, {}};
        for (int x = 0; x < c.from; ++x) {
            const std::uint8_t v = x % 2 ? 255 : 0;
            image.pixels.insert(image.pixels.end(), {v, v, v, 255});
        }
        const auto scaled = scaleIcon(image, c.to, 1);
        ASSERT_EQ(scaled.width, c.to);
        for (int x = 0; x < c.to; ++x)
            EXPECT_EQ(pixel(scaled, x, 0)[0], c.expectedGreys[x]) << c.from << "->" << c.to;
    }
}

TEST(IconScale, RefusesEmptyOrShortInput) {
    const RgbaImage one{1, 1, {1, 2, 3, 255}};
    EXPECT_TRUE(scaleIcon(one, 0, 16).pixels.empty());
    EXPECT_TRUE(scaleIcon(RgbaImage{2, 2, {1, 2, 3, 255}}, 16, 16).pixels.empty());
    EXPECT_EQ(scaleIcon(one, 3, 2).pixels.size(), 3u * 2 * 4);
}

}  // namespace
