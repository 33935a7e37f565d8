// SPDX-License-Identifier: GPL-3.0-or-later
// The black-and-white conversion: the default is the plain threshold bit for bit; the modes and adjustments
// act on the picture only.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "image/conversion.h"
#include "image/picture.h"

namespace tessary::image {
namespace {

Raster randomCanvas(std::uint32_t seed) {
    Raster r(512, 512);
    std::mt19937 random(seed);
    for (auto& b : r.rgb) b = static_cast<std::uint8_t>(random());
    return r;
}

Raster flat(std::uint8_t g) {
    Raster r(512, 512);
    std::fill(r.rgb.begin(), r.rgb.end(), g);
    return r;
}

int whiteOf(const Bitmap& b, int x, int y) { return b.GetIndex(x, y); }

TEST(ConversionTest, DefaultOptionsGiveTheThresholdOfTheWholeCanvasBitForBit) {
    ConversionOptions unused;  // options the threshold does not use change nothing
    unused.cell = 9;
    unused.angle = 10;
    for (const ConversionOptions& options : {ConversionOptions{}, unused}) {
        ASSERT_TRUE(options.isDefault());
        for (std::uint32_t seed : {1u, 2u}) {
            const Raster canvas = randomCanvas(seed);
            Bitmap expected;
            // The bitmap object's own depth change is the reference: white when R + G + B >= 383.
            ASSERT_TRUE(expected.载入数据(bmp24(canvas, true)));
            EXPECT_EQ(convertToBlackAndWhite(canvas, {100, 100, 50, 50}, options).ToByteSet(),
                      expected.ConvertDepth(1).ToByteSet());
        }
    }
}

TEST(ConversionTest, InvertIsTheComplementInsideThePictureAndWhiteOutside) {
    const Raster canvas = randomCanvas(3);
    const PictureRect rect{37, 12, 300, 411};
    ConversionOptions inverted;
    inverted.invert = true;
    const Bitmap plain = convertToBlackAndWhite(canvas, rect, {});
    const Bitmap out = convertToBlackAndWhite(canvas, rect, inverted);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            const bool inside =
                x >= rect.left && x < rect.left + rect.width && y >= rect.top && y < rect.top + rect.height;
            ASSERT_EQ(whiteOf(out, x, y), inside ? 1 - whiteOf(plain, x, y) : 1) << x << "," << y;
        }
}

TEST(ConversionTest, BayerWhitensRoundOf64GreyOver255PixelsOfEveryCell) {
    ConversionOptions bayer;
    bayer.mode = Conversion::Bayer;
    for (int g : {0, 1, 3, 37, 64, 127, 128, 200, 252, 254, 255}) {
        const Bitmap out =
            convertToBlackAndWhite(flat(static_cast<std::uint8_t>(g)), {0, 0, 512, 512}, bayer);
        const int expected = static_cast<int>(std::lround(64.0 * g / 255.0));
        for (int cy = 0; cy < 512; cy += 8)
            for (int cx = 0; cx < 512; cx += 8) {
                int white = 0;
                for (int y = cy; y < cy + 8; ++y)
                    for (int x = cx; x < cx + 8; ++x) white += whiteOf(out, x, y);
                ASSERT_LE(std::abs(white - expected), 1) << "grey " << g << " cell " << cx << "," << cy;
            }
    }
}

TEST(ConversionTest, AdjustmentsMoveTheToneTheWayTheyShould) {
    // The share of white pixels of a mid-grey picture, dithered, for each adjustment.
    struct Case {
        const char* what;
        ConversionOptions options;
        double low, high;
    };
    const auto with = [](auto change) {
        ConversionOptions o;
        o.mode = Conversion::FloydSteinberg;
        change(o);
        return o;
    };
    const Case cases[] = {
        {"none", with([](auto&) {}), 0.49, 0.52},
        {"brightness +40", with([](auto& o) { o.brightness = 40; }), 0.88, 0.92},
        {"brightness -100", with([](auto& o) { o.brightness = -100; }), 0.0, 0.0},
        {"gamma 2.00", with([](auto& o) { o.gamma = 200; }), 0.69, 0.73},
        {"gamma 0.50", with([](auto& o) { o.gamma = 50; }), 0.24, 0.27},
        {"inverted", with([](auto& o) { o.invert = true; }), 0.48, 0.51},
    };
    const Raster grey = flat(128);
    for (const Case& c : cases) {
        const Bitmap out = convertToBlackAndWhite(grey, {0, 0, 512, 512}, c.options);
        int white = 0;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x) white += whiteOf(out, x, y);
        const double share = white / (512.0 * 512.0);
        EXPECT_GE(share, c.low) << c.what;
        EXPECT_LE(share, c.high) << c.what;
    }
    // Contrast, auto level and Otsu's level split a two-tone picture (greys 100 and 140) cleanly, where the
    // default level 383 leaves both sides black.
    Raster twoTone = flat(100);
    for (int y = 0; y < 512; ++y)
        for (int x = 256; x < 512; ++x) std::fill_n(twoTone.at(x, y), 3, std::uint8_t{140});
    ConversionOptions level;
    level.autoLevel = true;
    ConversionOptions contrast;
    contrast.contrast = 100;
    for (const ConversionOptions& o : {level, contrast}) {
        const Bitmap out = convertToBlackAndWhite(twoTone, {0, 0, 512, 512}, o);
        EXPECT_EQ(whiteOf(out, 10, 10), 0);
        EXPECT_EQ(whiteOf(out, 500, 500), 1);
    }
}

TEST(ConversionTest, DescriptionNamesTheModeAndWhatDiffersFromTheDefaults) {
    ConversionOptions fs;
    fs.mode = Conversion::FloydSteinberg;
    fs.brightness = 10;
    fs.invert = true;
    fs.threshold = 500;  // not used by the mode
    ConversionOptions dots;
    dots.mode = Conversion::Halftone;
    dots.cell = 8;
    dots.contrast = -5;
    dots.gamma = 150;
    dots.sharpen = 30;
    dots.autoLevel = true;
    ConversionOptions level;
    level.threshold = 400;
    EXPECT_EQ(describeConversion(fs), "Floyd–Steinberg, brightness +10, inverted");
    EXPECT_EQ(describeConversion(dots),
              "Halftone dots, cell 8, contrast -5, gamma 1.50, sharpen 30, auto level");
    EXPECT_EQ(describeConversion(level), "Threshold, level 400");
    for (int i = 0; i < kConversionCount; ++i)
        EXPECT_EQ(conversionFromKey(conversionKey(static_cast<Conversion>(i))), static_cast<Conversion>(i));
    EXPECT_FALSE(conversionFromKey("Threshold"));
}

}  // namespace
}  // namespace tessary::image
