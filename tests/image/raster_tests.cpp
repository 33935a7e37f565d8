// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <random>

#include "bmp_builder.h"
#include "image/area_scaler.h"
#include "image/canvas.h"
#include "image/nearest_scaler.h"
#include "image/picture.h"
#include "support/bitmap_pixels.h"
#include "support/temp_folder.h"

namespace tessary::image {
namespace {

using testing::rgb;

std::uint32_t colourAt(const Raster& r, int x, int y) {
    const std::uint8_t* p = r.at(x, y);
    return rgb(p[0], p[1], p[2]);
}

Raster filled(int w, int h, std::uint32_t colour) {
    Raster r(w, h);
    clear(r, 0, 0, w, h, colour);
    return r;
}

// A picture from one row of grey levels per row given.
Raster greys(const std::vector<std::vector<int>>& rows) {
    Raster r(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) setPixel(r, x, y, rgb(rows[y][x], rows[y][x], rows[y][x]));
    return r;
}

std::vector<int> greyRow(const Raster& r, int y) {
    std::vector<int> out;
    for (int x = 0; x < r.width; ++x) out.push_back(r.at(x, y)[0]);
    return out;
}

Raster randomPicture(int w, int h, unsigned seed) {
    Raster r(w, h);
    std::mt19937 gen(seed);
    for (auto& b : r.rgb) b = static_cast<std::uint8_t>(gen());
    return r;
}

TEST(Canvas, ClearIsClippedToTheSurface) {
    struct Case {
        int left, top, width, height;
        int x0, y0, x1, y1;  // the rectangle expected to change, [x0, x1) x [y0, y1); empty when x0 == x1
    };
    const Case cases[] = {
        {0, 0, 512, 512, 0, 0, 510, 510},
        {-5, -7, 10, 10, 0, 0, 5, 3},
        {505, 500, 20, 20, 505, 500, 510, 510},
        {509, 509, 1, 1, 509, 509, 510, 510},
        {510, 0, 5, 5, 0, 0, 0, 0},
        {-10, 0, 10, 5, 0, 0, 0, 0},
        {3, 3, 0, 5, 0, 0, 0, 0},
        {3, 3, 5, -1, 0, 0, 0, 0},
        {-2147483647, 0, 2147483647, 2, 0, 0, 0, 0},
        {100, 100, 2147483647, 1, 100, 100, 510, 101},
    };
    for (const Case& c : cases) {
        Raster r(510, 510);
        clear(r, c.left, c.top, c.width, c.height, rgb(1, 2, 3));
        int changed = 0;
        for (int y = 0; y < 510; ++y)
            for (int x = 0; x < 510; ++x) {
                const bool inside = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
                const std::uint32_t got = colourAt(r, x, y);
                changed += got != 0;
                if (inside) {
                    ASSERT_EQ(got, rgb(1, 2, 3)) << c.left << "," << c.top;
                }
            }
        EXPECT_EQ(changed, (c.x1 - c.x0) * (c.y1 - c.y0))
            << c.left << "," << c.top << " " << c.width << "x" << c.height;
    }
}

TEST(Canvas, HalftoneIsTheAreaWeightedMean) {
    struct Case {
        const char* what;
        std::vector<std::vector<int>> picture;
        int width, height;
        std::vector<std::vector<int>> expected;
    };
    const Case cases[] = {
        {"2x2 checker to one pixel", {{0, 255}, {255, 0}}, 1, 1, {{128}}},
        {"three to one", {{10, 20, 60}}, 1, 1, {{30}}},
        {"three to two, half a pixel each side", {{0, 90, 180}}, 2, 1, {{30, 150}}},
        {"two to three, the middle one blended", {{0}, {90}}, 1, 3, {{0}, {45}, {90}}},
        {"one to four", {{77}}, 4, 1, {{77, 77, 77, 77}}},
        {"four to two in both directions", {{0, 40, 80, 120}, {40, 80, 120, 160}}, 2, 1, {{40, 120}}},
        {"same size is a copy", {{1, 2}, {3, 4}}, 2, 2, {{1, 2}, {3, 4}}},
    };
    for (const Case& c : cases) {
        const Raster out = stretch(greys(c.picture), c.width, c.height, Resample::Halftone);
        ASSERT_EQ(out.width, c.width) << c.what;
        ASSERT_EQ(out.height, c.height) << c.what;
        for (int y = 0; y < c.height; ++y)
            EXPECT_EQ(greyRow(out, y), c.expected[y]) << c.what << " row " << y;
    }
}

TEST(Canvas, NearestDropsAndRepeatsWholeColumnsAndRows) {
    struct Case {
        std::vector<int> row;
        int width;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {{10, 20, 30, 40}, 2, {20, 40}},
        {{10, 20}, 4, {10, 10, 20, 20}},
        {{10, 20, 30}, 5, {10, 10, 20, 30, 30}},
        {{10, 20, 30, 40, 50}, 1, {30}},
    };
    for (const Case& c : cases) {
        const Raster out = stretch(greys({c.row}), c.width, 1, Resample::Nearest);
        EXPECT_EQ(greyRow(out, 0), c.expected);
        const Raster tall = stretch(greys({c.row}), c.width, 3, Resample::Nearest);
        for (int y = 0; y < 3; ++y) EXPECT_EQ(greyRow(tall, y), c.expected);
    }
    // Rows may come in any order, as a bottom-up BMP sends them while it is decoded.
    const Raster picture = randomPicture(37, 23, 5);
    NearestScaler scaler(50, 9);
    ASSERT_TRUE(scaler.begin(picture.width, picture.height));
    for (int y = picture.height - 1; y >= 0; --y) scaler.row(y, picture.at(0, y));
    EXPECT_EQ(scaler.take().rgb, stretch(picture, 50, 9, Resample::Nearest).rgb);
}

TEST(Canvas, DrawingIsClippedAndEqualsTheVisiblePartOfTheWholeScaledPicture) {
    struct Case {
        int left, top, width, height;
    };
    const Case cases[] = {
        {-20, -20, 550, 550}, {7, 7, 486, 486}, {0, 61, 490, 367}, {500, 505, 40, 40},
        {-600, 0, 550, 550},  {510, 0, 9, 9},   {-3, -3, 2, 2},    {122, 0, 245, 490},
    };
    const Raster picture = randomPicture(512, 512, 11);
    for (Resample mode : {Resample::Halftone, Resample::Nearest}) {
        for (const Case& c : cases) {
            Raster canvas = filled(510, 510, rgb(240, 240, 240));
            drawPicture(canvas, picture, c.left, c.top, c.width, c.height, mode);
            const Raster whole = stretch(picture, c.width, c.height, mode);
            for (int y = 0; y < 510; ++y)
                for (int x = 0; x < 510; ++x) {
                    const int px = x - c.left;
                    const int py = y - c.top;
                    const bool covered = px >= 0 && py >= 0 && px < c.width && py < c.height;
                    const std::uint32_t expected = covered ? colourAt(whole, px, py) : rgb(240, 240, 240);
                    ASSERT_EQ(colourAt(canvas, x, y), expected)
                        << c.left << "," << c.top << " at " << x << "," << y;
                }
        }
    }
}

TEST(Canvas, DrawingReplacesPixelsAndNothingIsDrawnWithoutSize) {
    const Raster picture = filled(4, 4, rgb(0, 0, 0));
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 0}, {0, 5}, {5, 0}, {-5, 5}}) {
        Raster canvas = filled(20, 20, rgb(9, 9, 9));
        drawPicture(canvas, picture, 2, 2, w, h, Resample::Halftone);
        EXPECT_EQ(canvas.rgb, filled(20, 20, rgb(9, 9, 9)).rgb) << w << "x" << h;
    }
    Raster canvas = filled(20, 20, rgb(200, 200, 200));
    drawPicture(canvas, picture, 2, 2, 8, 8, Resample::Halftone);
    EXPECT_EQ(colourAt(canvas, 5, 5), 0u);
    EXPECT_EQ(colourAt(canvas, 1, 1), rgb(200, 200, 200));
}

TEST(AreaScalerSink, RowsInAnyOrderGiveTheSamePixelsAsDrawing) {
    const Raster picture = randomPicture(601, 403, 21);
    Raster drawn(490, 328);
    drawPicture(drawn, picture, 0, 0, 490, 328, Resample::Halftone);

    std::vector<int> order(403);
    std::iota(order.begin(), order.end(), 0);
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 0) std::reverse(order.begin(), order.end());  // a bottom-up BMP
        if (pass == 1) std::shuffle(order.begin(), order.end(), std::mt19937(4));
        AreaScaler scaler(490, 328);
        ASSERT_TRUE(scaler.begin(601, 403));
        for (int y : order) scaler.row(y, picture.at(0, y));
        EXPECT_EQ(scaler.result().rgb, drawn.rgb) << "pass " << pass;
    }
}

// Each window pixel's mean computed straight from the overlaps of the source pixels under it.
Raster areaMeans(const Raster& picture, int dw, int dh, int left, int top, int ww, int wh) {
    const std::int64_t sw = picture.width, sh = picture.height;
    auto overlap = [](std::int64_t k, std::int64_t i, std::int64_t src, std::int64_t dst) {
        return std::max<std::int64_t>(0, std::min((k + 1) * dst, (i + 1) * src) - std::max(k * dst, i * src));
    };
    const std::uint64_t d = static_cast<std::uint64_t>(sw * sh);
    Raster out(ww, wh);
    for (std::int64_t j = top; j < top + wh; ++j)
        for (std::int64_t i = left; i < left + ww; ++i)
            for (int ch = 0; ch < 3; ++ch) {
                std::uint64_t sum = 0;
                for (std::int64_t l = j * sh / dh; l < std::min(sh, ((j + 1) * sh + dh - 1) / dh); ++l)
                    for (std::int64_t k = i * sw / dw; k < std::min(sw, ((i + 1) * sw + dw - 1) / dw); ++k)
                        sum += static_cast<std::uint64_t>(overlap(k, i, sw, dw) * overlap(l, j, sh, dh)) *
                               picture.at(static_cast<int>(k), static_cast<int>(l))[ch];
                out.at(static_cast<int>(i - left), static_cast<int>(j - top))[ch] =
                    static_cast<std::uint8_t>((sum + d / 2) / d);
            }
    return out;
}

// Shrinking, whether the rows come one by one or several at a time, in one band or two, the scaler gives
// the exact means: tall sources put more rows into a destination row than its 16-bit sums hold at once,
// and destinations taller than 2^16 rows multiply in 32 bits.
TEST(AreaScalerSink, ShrinkingGivesTheExactAreaMeans) {
    struct Case {
        int sw, sh, dw, dh, left, top, ww, wh, batch, split;
    };
    const Case cases[] = {
        {601, 403, 490, 328, 0, 0, 490, 328, 1, 0},    {601, 403, 490, 328, 0, 0, 490, 328, 7, 200},
        {600, 4000, 49, 327, 0, 0, 49, 327, 29, 0},    {37, 1100, 5, 3, 0, 0, 5, 3, 1, 0},
        {37, 1100, 5, 3, 0, 0, 5, 3, 9, 550},          {60, 40, 49, 33, 5, 10, 30, 12, 5, 20},
        {2, 70001, 1, 65537, 0, 60000, 1, 5537, 6, 0},
    };
    for (const Case& c : cases) {
        Raster picture = randomPicture(c.sw, c.sh, static_cast<unsigned>(c.sh + c.batch));
        if (c.sh > 257 * c.dh)
            for (auto& b : picture.rgb) b |= 0xc0;  // bright, so that 16-bit sums would overflow
        AreaScaler scaler(c.dw, c.dh, c.left, c.top, c.ww, c.wh);
        ASSERT_TRUE(scaler.begin(c.sw, c.sh));
        RowSink* band = c.split > 0 ? scaler.splitAt(c.split) : nullptr;
        const std::size_t stride = static_cast<std::size_t>(c.sw) * 3;
        for (int y = 0; y < c.sh;) {
            RowSink& to = band && y >= c.split ? *band : static_cast<RowSink&>(scaler);
            const int end = std::min({c.sh, y + c.batch, y < c.split ? c.split : c.sh});
            if (c.batch == 1)
                to.row(y, picture.at(0, y));
            else
                to.rows(y, picture.at(0, y), stride, end - y);
            y = end;
        }
        scaler.join();
        EXPECT_EQ(scaler.take().rgb, areaMeans(picture, c.dw, c.dh, c.left, c.top, c.ww, c.wh).rgb)
            << c.sw << "x" << c.sh << " to " << c.dw << "x" << c.dh << ", " << c.batch << " rows at a time";
    }
}

// The rounded mean taken through the reciprocal is the exact one at every rounding boundary, on both sides
// of the divisor where the estimate stops being corrected.
TEST(AreaScalerSink, RoundedMeansAreExactAtTheirBoundaries) {
    for (std::uint64_t d :
         {std::uint64_t{1}, std::uint64_t{3}, std::uint64_t{260100}, std::uint64_t{24'000'000},
          (std::uint64_t{1} << 36) - 1, std::uint64_t{1} << 36, (std::uint64_t{1} << 47) + 5}) {
        const RoundedMean mean(d);
        for (std::uint64_t k = 0; k < 256; ++k)
            for (const std::uint64_t boundary : {k * d + (d + 1) / 2, k * d + d / 2})
                for (std::uint64_t sum = boundary > 1 ? boundary - 1 : 0;
                     sum <= boundary + 1 && sum <= 255 * d; ++sum)
                    ASSERT_EQ(mean(sum), (sum + d / 2) / d) << "divisor " << d << ", sum " << sum;
    }
}

// A decoder may feed two bands of rows to two scalers at once; joined, they give the one scaler's bytes,
// wherever the bands meet and whatever window is drawn.
TEST(AreaScalerSink, TwoBandsJoinedGiveTheSamePixels) {
    struct Case {
        int sw, sh, dw, dh, left, top, ww, wh, first;
    };
    const Case cases[] = {
        {601, 403, 490, 328, 0, 0, 490, 328, 200},  // shrinking, the bands meeting inside a destination row
        {601, 403, 490, 328, 0, 0, 490, 328, 1},   {601, 403, 490, 328, 0, 0, 490, 328, 402},
        {60, 40, 49, 33, 5, 10, 30, 12, 20},  // a window
        {60, 40, 49, 33, 5, 10, 30, 12, 39},  // the second band below the window
        {20, 13, 55, 41, 0, 0, 55, 41, 7},    // enlarging
    };
    for (const Case& c : cases) {
        const Raster picture = randomPicture(c.sw, c.sh, static_cast<unsigned>(c.first));
        AreaScaler whole(c.dw, c.dh, c.left, c.top, c.ww, c.wh), split(c.dw, c.dh, c.left, c.top, c.ww, c.wh);
        ASSERT_TRUE(whole.begin(c.sw, c.sh));
        ASSERT_TRUE(split.begin(c.sw, c.sh));
        RowSink* band = split.splitAt(c.first);
        for (int y = 0; y < c.sh; ++y) {
            whole.row(y, picture.at(0, y));
            (y >= c.first && band ? *band : static_cast<RowSink&>(split)).row(y, picture.at(0, y));
        }
        split.join();
        EXPECT_EQ(split.take().rgb, whole.result().rgb) << c.sw << "x" << c.sh << " split at " << c.first;
    }
}

// The sums are kept in 32 bits only while 255 x the source's pixel count fits; white must stay white on
// both sides of that limit.
TEST(AreaScalerSink, WhiteStaysWhiteAtTheLimitOfNarrowSums) {
    for (const auto& [width, height] : {std::pair{4103, 4105}, std::pair{4104, 4105}}) {
        const std::vector<std::uint8_t> white(static_cast<std::size_t>(width) * 3, 255);
        AreaScaler scaler(7, 5);
        ASSERT_TRUE(scaler.begin(width, height));
        for (int y = 0; y < height; ++y) scaler.row(y, white.data());
        const Raster out = scaler.result();
        EXPECT_TRUE(std::all_of(out.rgb.begin(), out.rgb.end(), [](std::uint8_t v) { return v == 255; }))
            << width << " x " << height;
    }
}

// Enlarging takes each destination pixel straight from the (at most 2 x 2) source pixels under it; the
// bytes must be exactly those of the accumulating scaler, windowed or whole, as a raster or as a snapshot.
TEST(AreaScalerSink, EnlargingDirectlyGivesTheAccumulatorsBytes) {
    struct Case {
        int sw, sh, dw, dh, left, top, ww, wh;
    };
    const Case cases[] = {
        {510, 510, 512, 512, 0, 0, 512, 512},
        {500, 500, 550, 550, 0, 0, 550, 550},
        {1, 1, 7, 7, 0, 0, 7, 7},
        {3, 4, 4, 4, 0, 0, 4, 4},
        {97, 13, 211, 14, 0, 0, 211, 14},
        {5, 5, 5, 9, 0, 0, 5, 9},
        {509, 3, 512, 1001, 0, 0, 512, 1001},
        {500, 500, 550, 550, 20, 20, 510, 510},
        {7, 5, 1000, 999, 501, 3, 17, 996},
        {4100, 2100, 4200, 2101, 2000, 1000, 9, 7},  // 2^23 pixels and more: the general rounding
        // 255 x the source's pixel count no longer fits 32 bits (bright, so that the sums do not either)
        {16843, 1001, 16900, 1002, 8000, 500, 9, 7},
        {70000, 2, 70003, 3, 0, 0, 70003, 3},  // weights too wide for 16-bit lanes
    };
    for (const Case& c : cases) {
        Raster picture = randomPicture(c.sw, c.sh, static_cast<unsigned>(c.sw * 31 + c.dh));
        if (c.sw > 10000)
            for (auto& b : picture.rgb) b |= 0xf0;
        AreaScaler scaler(c.dw, c.dh, c.left, c.top, c.ww, c.wh);
        ASSERT_TRUE(scaler.begin(c.sw, c.sh));
        for (int y = 0; y < c.sh; ++y) scaler.row(y, picture.at(0, y));
        const Raster expected = scaler.result();
        Raster direct(c.ww, c.wh);
        ASSERT_TRUE(enlargeArea(picture, c.dw, c.dh, c.left, c.top, c.ww, c.wh,
                                {direct.rgb.data(), std::ptrdiff_t{c.ww} * 3, false}));
        EXPECT_EQ(direct.rgb, expected.rgb) << c.sw << "x" << c.sh << " to " << c.dw << "x" << c.dh;
        if (c.ww == c.dw && c.wh == c.dh) {
            const auto snapshot = LoadPicture(takeSnapshot(picture, c.dw, c.dh, Resample::Halftone));
            ASSERT_TRUE(snapshot.has_value());
            EXPECT_EQ(snapshot->rgb, expected.rgb) << c.sw << "x" << c.sh << " snapshot";
        }
    }
    Raster out(4, 9);
    EXPECT_FALSE(
        enlargeArea(randomPicture(5, 5, 1), 4, 9, 0, 0, 4, 9, {out.rgb.data(), 12, false}));  // narrower
    EXPECT_EQ(out.rgb, Raster(4, 9).rgb);
}

TEST(AreaScalerSink, RefusesWhatItCannotHold) {
    EXPECT_FALSE(AreaScaler(10, 10).begin(0, 5));
    EXPECT_FALSE(AreaScaler(10, 10).begin(5, -1));
    EXPECT_FALSE(AreaScaler(10, 10).begin(AreaScaler::kMaxSourceSide + 1, 2));
    EXPECT_FALSE(AreaScaler(0, 10).begin(5, 5));
    EXPECT_FALSE(AreaScaler(100000, 100000).begin(5, 5));
    EXPECT_FALSE(AreaScaler(10, 10, 5, 5, 6, 5).begin(5, 5));  // window beyond the destination
    EXPECT_TRUE(AreaScaler(100000, 100000, 50000, 50000, 10, 10).begin(5, 5));
}

TEST(Snapshot, IsA24BitBmpOfTheStretchedSurface) {
    Raster canvas = filled(510, 510, rgb(240, 240, 240));
    setPixel(canvas, 0, 0, rgb(255, 0, 0));
    setPixel(canvas, 509, 509, rgb(0, 0, 255));
    struct Case {
        int width, height;
        Resample mode;
    };
    for (const Case& c : {Case{512, 512, Resample::Halftone}, Case{512, 512, Resample::Nearest},
                          Case{510, 510, Resample::Halftone}, Case{255, 3, Resample::Halftone}}) {
        const Bytes bmp = takeSnapshot(canvas, c.width, c.height, c.mode);
        const std::size_t stride = (c.width * 3 + 3) / 4 * 4;
        ASSERT_EQ(bmp.size(), 54 + stride * c.height);
        auto u32 = [&](std::size_t at) {
            return bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | bmp[at + 3] << 24;
        };
        EXPECT_EQ(u32(2), static_cast<int>(bmp.size()));
        EXPECT_EQ(u32(10), 54);
        EXPECT_EQ(u32(14), 40);
        EXPECT_EQ(u32(18), c.width);
        EXPECT_EQ(u32(22), c.height);  // positive: bottom-up
        EXPECT_EQ(bmp[28], 24);
        EXPECT_EQ(u32(30), 0);
        EXPECT_EQ(u32(34), static_cast<int>(stride * c.height));
        // The first stored row is the bottom one; pixels are blue, green, red.
        const Raster expected = stretch(canvas, c.width, c.height, c.mode);
        const std::uint8_t* topLeft = bmp.data() + 54 + stride * (c.height - 1);
        EXPECT_EQ(rgb(topLeft[2], topLeft[1], topLeft[0]), colourAt(expected, 0, 0));
        const std::uint8_t* bottomRight = bmp.data() + 54 + (c.width - 1) * 3;
        EXPECT_EQ(rgb(bottomRight[2], bottomRight[1], bottomRight[0]),
                  colourAt(expected, c.width - 1, c.height - 1));
        const auto loaded = LoadPicture(bmp);
        ASSERT_TRUE(loaded.has_value());
        EXPECT_EQ(loaded->rgb, expected.rgb);
    }
    // The corners stay pure in nearest mode and are blended in halftone.
    const Raster nearest = *LoadPicture(takeSnapshot(canvas, 512, 512, Resample::Nearest));
    EXPECT_EQ(colourAt(nearest, 0, 0), rgb(255, 0, 0));
    EXPECT_EQ(colourAt(nearest, 511, 511), rgb(0, 0, 255));
    EXPECT_TRUE(takeSnapshot(canvas, 0, 512, Resample::Halftone).empty());
    EXPECT_TRUE(takeSnapshot(Raster(), 512, 512, Resample::Halftone).empty());
}

TEST(Snapshot, ALightGreyBackgroundComesOutWhite) {
    // The canvas background (a light grey button face) must survive enlargement as the same colour.
    for (std::uint32_t grey :
         {rgb(240, 240, 240), rgb(239, 239, 239), rgb(212, 208, 200), rgb(128, 128, 127)}) {
        const Raster canvas = filled(510, 510, grey);
        EXPECT_EQ(stretch(canvas, 512, 512, Resample::Halftone).rgb, filled(512, 512, grey).rgb);
        Bitmap bitmap;
        ASSERT_TRUE(bitmap.载入数据(takeSnapshot(canvas, 512, 512, Resample::Halftone)));
        for (int y = 0; y < 512; y += 7)
            for (int x = 0; x < 512; x += 7) {
                const std::uint32_t c = tessary::testing::colourAt(bitmap, x, y);
                ASSERT_GE((c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16), 383u) << std::hex << grey;
            }
    }
}

TEST(Pictures, SizeAndPixelsOfFiles) {
    // A folder of its own: fixed names in the shared temporary folder may belong to someone else.
    const tessary::testing::TempFolder folder("tessary-pictures");
    ASSERT_FALSE(folder.path().empty());
    const std::string dir = folder.string();
    struct Case {
        const char* name;
        Bytes data;
        int width, height;
    };
    Bytes good = Bitmap::create(300, 200, 24).ToByteSet();
    good.resize(good.size() + 10, 0);  // bytes after the pixel rows do not matter
    Bytes cut = Bitmap::create(300, 200, 24).ToByteSet();
    cut.resize(cut.size() - 1);
    testing::put32(cut, 2, static_cast<std::uint32_t>(cut.size()));
    const Case cases[] = {
        {"good.bmp", good, 300, 200}, {"engraving.bmp", Bitmap::create(512, 512, 1).ToByteSet(), 512, 512},
        {"cut.bmp", cut, 0, 0},       {"text.bmp", Bytes(65, 'a'), 0, 0},
        {"empty.bmp", Bytes{}, 0, 0},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(c.data.data()), static_cast<std::streamsize>(c.data.size()));
        const auto picture = LoadPicture(path);
        EXPECT_EQ(picture.has_value(), c.width != 0) << c.name;
        if (picture) {
            EXPECT_EQ(picture->width, c.width);
            EXPECT_EQ(picture->height, c.height);
        }
    }
    // A 1-bit picture reads as black and white.
    Bitmap bw = Bitmap::create(9, 3, 1);
    tessary::testing::setIndexAt(bw, 8, 0, 1);
    const auto one = LoadPicture(bw.ToByteSet());
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(colourAt(*one, 8, 0), 0xFFFFFFu);
    EXPECT_EQ(colourAt(*one, 0, 2), 0u);
    EXPECT_FALSE(LoadPicture(Bytes{}).has_value());
    EXPECT_FALSE(LoadPicture(std::string()).has_value());
    EXPECT_FALSE(LoadPicture(dir).has_value());
    EXPECT_FALSE(LoadPicture(dir + "/missing.bmp").has_value());
}

}  // namespace
}  // namespace tessary::image
