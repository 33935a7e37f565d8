// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "bmp_builder.h"
#include "image/bitmap.h"
#include "support/bitmap_pixels.h"

namespace tessary::image {
namespace {

using tessary::testing::colourAt;
using tessary::testing::colourTableOf;
using tessary::testing::setColourAt;
using tessary::testing::setIndexAt;
using testing::BmpSpec;
using testing::makeBmp;
using testing::rgb;

// An image whose pixels are drawn from the depth's own colours (indices up to 8 bits), padding 0.
Bitmap randomImage(int width, int height, int bits, unsigned seed) {
    Bitmap b = Bitmap::create(width, height, bits);
    std::mt19937 gen(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (bits <= 8) {
                setIndexAt(b, x, y, static_cast<int>(gen() % (1u << bits)));
            } else {
                setColourAt(b, x, y, gen() & 0xFFFFFF);
            }
        }
    }
    return b;
}

TEST(ByteSet, SizeAndStrideFollowTheDepth) {
    struct Case {
        int width, height, bits;
        std::size_t tableBytes, stride;
    };
    const Case cases[] = {
        {512, 512, 1, 8, 64}, {127, 3, 1, 8, 16},   {127, 3, 4, 64, 64},  {127, 3, 8, 1024, 128},
        {127, 3, 16, 0, 256}, {127, 3, 24, 0, 384}, {127, 3, 32, 0, 508}, {1, 1, 24, 0, 4},
    };
    for (const Case& c : cases) {
        const Bytes bytes = Bitmap::create(c.width, c.height, c.bits).ToByteSet();
        const std::size_t expected = 54 + c.tableBytes + c.stride * c.height;
        ASSERT_EQ(bytes.size(), expected) << c.width << "x" << c.height << "x" << c.bits;
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(bytes[2] | bytes[3] << 8 | bytes[4] << 16, static_cast<int>(expected));
        EXPECT_EQ(bytes[10] | bytes[11] << 8, static_cast<int>(54 + c.tableBytes));
        EXPECT_EQ(bytes[14], 40);
        EXPECT_EQ(bytes[28], c.bits);
        for (int i = 30; i < 54; ++i) EXPECT_EQ(bytes[i], 0) << "header byte " << i;
    }
}

TEST(ByteSet, EngravingImageIs32830BytesWithBlackWhiteTable) {
    const Bytes bytes = Bitmap::create(512, 512, 1).ToByteSet();
    ASSERT_EQ(bytes.size(), 32830u);
    const Bytes table(bytes.begin() + 54, bytes.begin() + 62);
    EXPECT_EQ(table, (Bytes{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}));
}

TEST(Load, RefusesDataThatDoesNotHoldWhatItsHeadersClaim) {
    struct Case {
        const char* what;
        BmpSpec spec;
        long truncateBy = 0;
        std::size_t patchAt = 0;  // a 32-bit field set after building, when not 0
        std::uint32_t patchValue = 0;
    };
    const std::vector<std::uint32_t> two = {0, 0xFFFFFF};
    const std::vector<std::uint32_t> many(100, 0x123456);
    const Case cases[] = {
        {"compression 1", {.bits = 8, .compression = 1, .table = std::vector<std::uint32_t>(256)}},
        {"compression 3", {.bits = 16, .compression = 3}},
        {"header size 108", {.infoHeaderSize = 108}},
        {"header size 16", {.infoHeaderSize = 16}},
        {"2 bits per pixel", {.bits = 2, .table = {0, 0, 0, 0}}},
        {"0 bits per pixel", {.bits = 0}},
        {"30000 bits per pixel", {.bits = 30000}},
        {"zero width", {.width = 0, .pixels = Bytes(64)}},
        {"negative width", {.width = -3, .pixels = Bytes(64)}},
        {"zero height", {.height = 0, .pixels = Bytes(64)}},
        {"negative height", {.height = -2, .pixels = Bytes(16)}},
        {"last pixel row cut", {.width = 8, .height = 8, .bits = 1, .table = two}, 4},
        {"last pixel byte cut", {.width = 3, .height = 2, .bits = 24}, 1},
        {"one of 32 rows present", {.width = 32, .height = 32, .bits = 1, .table = two}, 31 * 4},
        {"colour table cut", {.width = 1, .height = 1, .bits = 8, .table = many, .pixelOffset = 54 + 400}},
        {"colours used beyond the data", {.bits = 8, .coloursUsed = 0xFFFFFFFF, .table = many}},
        {"width times height overflows", {.width = 0x7FFFFFFF, .height = 0x7FFFFFFF, .pixels = Bytes(64)}},
        {"stride times height overflows",
         {.width = 0x40000000, .height = 4, .bits = 32, .pixels = Bytes(64)}},
        {"pixel offset beyond the data", {}, 0, 10, 5000},
        {"pixel offset at the end of the data", {}, 0, 10, 78},
        {"pixel offset inside the header", {}, 0, 10, 20},
        {"file size field beyond the data", {.fileSize = 1000}},
        {"12-byte header, table cut",
         {.infoHeaderSize = 12, .width = 1, .height = 1, .bits = 8, .table = many, .pixelOffset = 26 + 300}},
    };
    for (const Case& c : cases) {
        Bytes data = makeBmp(c.spec);
        ASSERT_GE(static_cast<long>(data.size()), c.truncateBy) << c.what;
        data.resize(data.size() - static_cast<std::size_t>(c.truncateBy));
        if (c.truncateBy > 0 && c.spec.fileSize < 0)
            testing::put32(data, 2, static_cast<std::uint32_t>(data.size()));
        if (c.patchAt != 0) testing::put32(data, c.patchAt, c.patchValue);
        Bitmap b = Bitmap::create(4, 4, 24);
        EXPECT_FALSE(b.载入数据(data)) << c.what;
        EXPECT_TRUE(b.empty()) << c.what;
    }
    Bitmap b;
    EXPECT_FALSE(b.载入数据(Bytes(53, 'B')));
    EXPECT_FALSE(b.载入数据(Bytes{}));
    Bytes notBm = makeBmp({});
    notBm[0] = 'X';
    EXPECT_FALSE(b.载入数据(notBm));
}

TEST(Load, AcceptsWhatTheHeadersDescribeAndKeepsOnlyThat) {
    struct Case {
        const char* what;
        BmpSpec spec;
        long extra;               // bytes appended after the pixel rows
        std::size_t byteSetSize;  // ToByteSet length
    };
    const Case cases[] = {
        {"24-bit", {.width = 3, .height = 2}, 0, 54 + 12 * 2},
        {"trailing bytes dropped", {.width = 3, .height = 2}, 7, 54 + 12 * 2},
        {"gap before the pixels", {.width = 3, .height = 2, .pixelOffset = 300}, 0, 54 + 12 * 2},
        {"colours used replaces the table length",
         {.width = 4, .height = 1, .bits = 8, .coloursUsed = 2, .table = {0, 0xFFFFFF}},
         0,
         54 + 8 + 4},
        {"unused table of a 24-bit image",
         {.width = 1, .height = 1, .coloursUsed = 3, .table = {1, 2, 3}},
         0,
         54 + 12 + 4},
        {"12-byte header, 24-bit", {.infoHeaderSize = 12, .width = 5, .height = 2}, 0, 54 + 16 * 2},
        {"largest 12-byte header size",
         {.infoHeaderSize = 12, .width = 65535, .height = 1, .bits = 1, .table = {0, 0xFFFFFF}},
         0,
         54 + 8 + 8192},
    };
    for (const Case& c : cases) {
        Bytes data = makeBmp(c.spec);
        data.resize(data.size() + static_cast<std::size_t>(c.extra), 0xAB);
        Bitmap b;
        ASSERT_TRUE(b.载入数据(data)) << c.what;
        EXPECT_EQ(b.ToByteSet().size(), c.byteSetSize) << c.what;
        Bitmap again;
        ASSERT_TRUE(again.载入数据(b.ToByteSet())) << c.what;
        EXPECT_EQ(again.ToByteSet(), b.ToByteSet()) << c.what;
    }
}

TEST(Load, WidensTheOldTwelveByteHeader) {
    // 1 bit, 3 x 6, colour table red and blue as 3-byte entries; top row 1 0 1, bottom row 0 1 0.
    BmpSpec spec{
        .infoHeaderSize = 12, .width = 3, .height = 6, .bits = 1, .table = {rgb(255, 0, 0), rgb(0, 0, 255)}};
    spec.pixels.assign(24, 0);
    spec.pixels[0] = 0b01000000;
    spec.pixels[20] = 0b10100000;
    Bitmap b;
    ASSERT_TRUE(b.载入数据(makeBmp(spec)));
    EXPECT_EQ(colourAt(b, 0, 0), rgb(0, 0, 255));
    EXPECT_EQ(colourAt(b, 1, 0), rgb(255, 0, 0));
    EXPECT_EQ(colourAt(b, 1, 5), rgb(0, 0, 255));
    EXPECT_EQ(colourAt(b, 0, 5), rgb(255, 0, 0));
    const Bytes out = b.ToByteSet();
    ASSERT_EQ(out.size(), 54u + 8 + 24);
    EXPECT_EQ(out[14], 40);
    EXPECT_EQ(out[18], 3);
    EXPECT_EQ(out[22], 6);
    EXPECT_EQ(out[26], 1);
    EXPECT_EQ(out[28], 1);
    EXPECT_EQ(out[10], 62);
    EXPECT_EQ(Bytes(out.begin() + 54, out.begin() + 62), (Bytes{0, 0, 255, 0, 255, 0, 0, 0}));
}

TEST(Pixels, RowsReadEveryDepthBottomUp) {
    // 2 x 2 images; stored bottom row first, so pixel (0, 0) lies in the second stored row.
    struct Case {
        int bits;
        std::vector<std::uint32_t> table;
        Bytes pixels;
        std::uint32_t topLeft, topRight, bottomLeft;
    };
    const std::vector<std::uint32_t> four = {rgb(0, 0, 0), rgb(10, 20, 30), rgb(40, 50, 60), rgb(70, 80, 90)};
    std::vector<std::uint32_t> sixteen(16, 0);
    sixteen[0xA] = rgb(1, 2, 3);
    sixteen[0x5] = rgb(4, 5, 6);
    sixteen[0xC] = rgb(7, 8, 9);
    const Case cases[] = {
        {1,
         {rgb(9, 9, 9), rgb(200, 100, 50)},
         {0b01000000, 0, 0, 0, 0b10000000, 0, 0, 0},
         rgb(200, 100, 50),
         rgb(9, 9, 9),
         rgb(9, 9, 9)},
        {4, sixteen, {0xC0, 0, 0, 0, 0xA5, 0, 0, 0}, rgb(1, 2, 3), rgb(4, 5, 6), rgb(7, 8, 9)},
        {8, four, {3, 0, 0, 0, 1, 2, 0, 0}, rgb(10, 20, 30), rgb(40, 50, 60), rgb(70, 80, 90)},
        // 16 bits: 5-5-5 with blue lowest, each field times 8.
        {16,
         {},
         {0x1F, 0x00, 0, 0, 0xFF, 0x7F, 0x00, 0x7C},
         rgb(248, 248, 248),
         rgb(248, 0, 0),
         rgb(0, 0, 248)},
        {24,
         {},
         {1, 2, 3, 0, 0, 0, 0, 0, 10, 20, 30, 40, 50, 60, 0, 0},
         rgb(30, 20, 10),
         rgb(60, 50, 40),
         rgb(3, 2, 1)},
        {32,
         {},
         {1, 2, 3, 99, 0, 0, 0, 0, 10, 20, 30, 99, 40, 50, 60, 99},
         rgb(30, 20, 10),
         rgb(60, 50, 40),
         rgb(3, 2, 1)},
    };
    for (const Case& c : cases) {
        Bitmap b;
        const BmpSpec spec{.width = 2,
                           .height = 2,
                           .bits = static_cast<std::uint16_t>(c.bits),
                           .coloursUsed = static_cast<std::uint32_t>(c.table.size()),
                           .table = c.table,
                           .pixels = c.pixels};
        ASSERT_TRUE(b.载入数据(makeBmp(spec))) << c.bits;
        EXPECT_EQ(colourAt(b, 0, 0), c.topLeft) << c.bits;
        EXPECT_EQ(colourAt(b, 1, 0), c.topRight) << c.bits;
        EXPECT_EQ(colourAt(b, 0, 1), c.bottomLeft) << c.bits;
    }
}

TEST(Pixels, EmptyObjectsAndUnknownDepthsGiveEmptyResults) {
    const Bitmap empty;
    EXPECT_TRUE(empty.ToByteSet().empty());
    EXPECT_TRUE(empty.Rotate90(true).empty());
    EXPECT_TRUE(empty.Mirror(true, false).empty());
    for (int bits : {0, 2, 3, 48}) EXPECT_TRUE(Bitmap::create(4, 4, bits).empty()) << bits;
}

TEST(Geometry, RotationMovesTheTopLeftPixelToTheRightCorner) {
    Bitmap b = Bitmap::create(512, 300, 24);
    setColourAt(b, 0, 0, rgb(255, 0, 0));
    const Bitmap cw = b.Rotate90(true);
    ASSERT_EQ(cw.width(), 300);
    ASSERT_EQ(cw.height(), 512);
    EXPECT_EQ(colourAt(cw, 299, 0), rgb(255, 0, 0));
    EXPECT_EQ(colourAt(cw, 0, 0), 0u);
    const Bitmap ccw = b.Rotate90(false);
    EXPECT_EQ(colourAt(ccw, 0, 511), rgb(255, 0, 0));
}

TEST(Geometry, RotationsAndMirrorsMapEveryPixelOnEveryDepth) {
    for (int depth : {1, 4, 8, 16, 24, 32}) {
        const int w = 13, h = 7;
        const Bitmap src = randomImage(w, h, depth, 100u + static_cast<unsigned>(depth));
        const Bytes before = src.ToByteSet();
        const Bitmap cw = src.Rotate90(true);
        const Bitmap ccw = src.Rotate90(false);
        const Bitmap lr = src.Mirror(true, false);
        const Bitmap tb = src.Mirror(false, true);
        const Bitmap both = src.Mirror(true, true);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint32_t c = colourAt(src, x, y);
                ASSERT_EQ(colourAt(cw, h - 1 - y, x), c) << depth;
                ASSERT_EQ(colourAt(ccw, y, w - 1 - x), c) << depth;
                ASSERT_EQ(colourAt(lr, w - 1 - x, y), c) << depth;
                ASSERT_EQ(colourAt(tb, x, h - 1 - y), c) << depth;
                ASSERT_EQ(colourAt(both, w - 1 - x, h - 1 - y), c) << depth;
            }
        EXPECT_EQ(src.ToByteSet(), before) << "source changed, depth " << depth;
        // Round trips are exact, padding included.
        EXPECT_EQ(cw.Rotate90(false).ToByteSet(), before) << depth;
        EXPECT_EQ(cw.Rotate90(true).Rotate90(true).Rotate90(true).ToByteSet(), before) << depth;
        EXPECT_EQ(lr.Mirror(true, false).ToByteSet(), before) << depth;
        EXPECT_EQ(src.Mirror(false, false).ToByteSet(), before) << depth;
        // The intake relies on this: two clockwise turns and a left-right mirror flip top to bottom.
        EXPECT_EQ(src.Rotate90(true).Rotate90(true).Mirror(true, false).ToByteSet(), tb.ToByteSet()) << depth;
    }
}

TEST(Geometry, CustomColourTablesTravelWithTheImage) {
    Bitmap b;
    ASSERT_TRUE(b.载入数据(makeBmp({.width = 3,
                                    .height = 2,
                                    .bits = 8,
                                    .coloursUsed = 3,
                                    .table = {rgb(1, 1, 1), rgb(2, 2, 2), rgb(3, 3, 3)}})));
    setIndexAt(b, 0, 0, 2);
    for (const Bitmap& out : {b.Rotate90(true), b.Mirror(true, true)}) {
        EXPECT_EQ(colourTableOf(out), colourTableOf(b));
        Bitmap reloaded;
        ASSERT_TRUE(reloaded.载入数据(out.ToByteSet()));
        EXPECT_EQ(colourTableOf(reloaded).size(), 3u);
    }
}

}  // namespace
}  // namespace tessary::image
