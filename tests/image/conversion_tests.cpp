// SPDX-License-Identifier: GPL-3.0-or-later
// The black-and-white conversion: the default is the plain threshold bit for bit; the modes and adjustments
// act on the picture only.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "image/conversion.h"
#include "image/picture.h"
#include "support/bitmap_pixels.h"

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

int whiteOf(const Bitmap& b, int x, int y) { return tessary::testing::indexAt(b, x, y); }

TEST(ConversionTest, DefaultOptionsGiveTheThresholdOfTheWholeCanvasBitForBit) {
    ConversionOptions unused;  // options the threshold does not use change nothing
    unused.cell = 9;
    unused.angle = 10;
    for (const ConversionOptions& options : {ConversionOptions{}, unused}) {
        ASSERT_TRUE(options.isDefault());
        for (std::uint32_t seed : {1u, 2u}) {
            const Raster canvas = randomCanvas(seed);
            // The reference: white when R + G + B >= 383, pixel by pixel.
            Bitmap expected = Bitmap::create(512, 512, 1);
            for (int y = 0; y < 512; ++y)
                for (int x = 0; x < 512; ++x) {
                    const std::uint8_t* p = canvas.at(x, y);
                    tessary::testing::setIndexAt(expected, x, y, p[0] + p[1] + p[2] >= 383 ? 1 : 0);
                }
            EXPECT_EQ(convertToBlackAndWhite(canvas, {100, 100, 50, 50}, options).ToByteSet(),
                      expected.ToByteSet());
        }
    }
}

TEST(ConversionTest, ColoursAreGreyByTheirBrightnessAsAnIndependentReferenceReadsThem) {
    // Colour ramps and a few earth tones with their Rec. 601 luma as ImageMagick 6.9 (Q16) reads them:
    //     convert -size 1x1 xc:'rgb(R,G,B)' -grayscale Rec601Luma txt:-
    // (16-bit values; the grey is the value / 257).
    struct Colour {
        std::uint8_t r, g, b;
        int reference16;
    };
    constexpr Colour kColours[] = {
        {64, 0, 0, 4915},       {128, 0, 0, 9831},      {192, 0, 0, 14746},     {255, 0, 0, 19584},
        {0, 64, 0, 9652},       {0, 128, 0, 19304},     {0, 192, 0, 28956},     {0, 255, 0, 38457},
        {0, 0, 64, 1881},       {0, 0, 128, 3762},      {0, 0, 192, 5642},      {0, 0, 255, 7494},
        {64, 64, 0, 14567},     {128, 128, 0, 29134},   {192, 192, 0, 43702},   {255, 255, 0, 58041},
        {0, 64, 64, 11533},     {0, 128, 128, 23065},   {0, 192, 192, 34598},   {0, 255, 255, 45951},
        {64, 0, 64, 6796},      {128, 0, 128, 13592},   {192, 0, 192, 20388},   {255, 0, 255, 27078},
        {128, 64, 32, 20423},   {200, 150, 100, 40921}, {30, 60, 90, 13998},    {12, 200, 170, 36080},
        {250, 128, 114, 41854}, {34, 139, 34, 24573},   {135, 206, 235, 48341}, {139, 69, 19, 21640},
    };
    // Every colour on a canvas of its own row: at the threshold level of its reference grey it is white,
    // one grey step above it black.
    Raster canvas(8, static_cast<int>(std::size(kColours)));
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            std::uint8_t* p = canvas.at(x, y);
            p[0] = kColours[y].r, p[1] = kColours[y].g, p[2] = kColours[y].b;
        }
    for (int y = 0; y < canvas.height; ++y) {
        const Colour& c = kColours[y];
        const int grey = static_cast<int>(std::lround(c.reference16 / 257.0));
        for (const int level : {grey, grey + 1}) {
            ConversionOptions threshold;
            threshold.threshold = thresholdLevel(level);
            const Bitmap out = convertToBlackAndWhite(canvas, {0, 0, canvas.width, canvas.height}, threshold);
            EXPECT_EQ(whiteOf(out, 3, y), level == grey ? 1 : 0)
                << int{c.r} << "," << int{c.g} << "," << int{c.b} << " at grey " << level;
        }
    }
    // Dithered, pure green and pure blue keep their brightness: 46 % and 11 % white.
    ConversionOptions dither;
    dither.mode = Conversion::FloydSteinberg;
    for (const Colour& c : {Colour{0, 200, 0, 30162}, Colour{0, 0, 255, 7494}}) {
        Raster patch(256, 256);
        for (int i = 0; i < 256 * 256; ++i) {
            patch.rgb[3 * i] = c.r;
            patch.rgb[3 * i + 1] = c.g;
            patch.rgb[3 * i + 2] = c.b;
        }
        const Bitmap out = convertToBlackAndWhite(patch, {0, 0, 256, 256}, dither);
        int white = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) white += whiteOf(out, x, y);
        EXPECT_NEAR(white / 65536.0, c.reference16 / 257.0 / 255.0, 0.01) << int{c.g} << "," << int{c.b};
    }
}

TEST(ConversionTest, TheThresholdLevelShownAsGreyKeepsTheStoredLevels) {
    EXPECT_EQ(thresholdGrey(383), 128);
    for (int grey = 0; grey <= 255; ++grey) ASSERT_EQ(thresholdGrey(thresholdLevel(grey)), grey);
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
    level.size = 300;
    ConversionOptions filled;
    filled.fill = true;
    filled.size = 200;  // not used when the picture fills the field
    EXPECT_EQ(describeConversion(fs), "Floyd–Steinberg, brightness +10, inverted");
    EXPECT_EQ(describeConversion(filled), "Threshold, fill the field");
    ConversionOptions mirrored;
    mirrored.mirror = true;
    EXPECT_EQ(describeConversion(mirrored), "Threshold, mirrored");
    EXPECT_TRUE(mirrored.plainThreshold());
    EXPECT_FALSE(mirrored.isDefault());
    EXPECT_TRUE(filled.plainThreshold());
    EXPECT_FALSE(filled.isDefault());
    EXPECT_EQ(describeConversion(dots),
              "Halftone dots, cell 8, contrast -5, gamma 1.50, sharpen 30, auto level");
    EXPECT_EQ(describeConversion(level), "Threshold, level 134, size 300")
        << "the level as the window shows it";
    for (int i = 0; i < kConversionCount; ++i)
        EXPECT_EQ(conversionFromKey(conversionKey(static_cast<Conversion>(i))), static_cast<Conversion>(i));
    EXPECT_FALSE(conversionFromKey("Threshold"));
}

}  // namespace
}  // namespace tessary::image
