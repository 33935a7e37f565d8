// SPDX-License-Identifier: GPL-3.0-or-later
// The composition: items converted on their own and combined (black wins), clipped at the engraving's
// edges, mirrored as a whole; pictures shared and cropped before they are fitted.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "image/canvas.h"
#include "image/files.h"
#include "intake/drawn_pictures.h"
#include "layout/layout.h"
#include "support/temp_folder.h"

namespace tessary::layout {
namespace {

const std::string kPhoto = std::string(TESSARY_TESTDATA_DIR) + "/jpeg/hopper.jpg";

bool black(const image::Bitmap& b, int x, int y) { return !(b.topRow(y)[x / 8] & (0x80 >> (x % 8))); }

Item picture(int x, int y, int width = 0, int turn = 0) {
    Item item;
    item.file = kPhoto;
    item.placed = true;
    item.x = x;
    item.y = y;
    item.width = width;
    item.quarterTurns = turn;
    item.conversion.mode = image::Conversion::FloydSteinberg;
    return item;
}
Item text(int x, int y, const std::string& words, bool invert = false) {
    Item item;
    item.kind = ItemKind::Text;
    item.text.text = words;
    item.placed = true;
    item.x = x;
    item.y = y;
    item.conversion.invert = invert;
    return item;
}
Item code(int x, int y, int turn = 0) {
    Item item;
    item.kind = ItemKind::QrCode;
    item.qr.text = "https://example.org/tag/42";
    item.placed = true;
    item.x = x;
    item.y = y;
    item.quarterTurns = turn;
    return item;
}

bool drawingThere() { return intake::drawingMissing().empty(); }

struct Row {
    const char* name;
    std::vector<Item> items;
    bool mirror;
};

TEST(LayoutTest, EachItemConvertedAloneAndCombinedBlackWinning) {
    if (!drawingThere()) GTEST_SKIP() << "no text drawing module";
    const Row rows[] = {
        {"photo, name and code",
         {picture(10, 10, 300), text(20, 330, "Rex\nTel 0123"), code(330, 330)},
         false},
        {"the same mirrored", {picture(10, 10, 300), text(20, 330, "Rex\nTel 0123"), code(330, 330)}, true},
        {"overlapping, inverted text over the photo",
         {picture(0, 0, 512), text(100, 200, "Name", true)},
         false},
        {"turned and off the edges",
         {picture(-40, 400, 200, 1), code(430, -20, 3), text(480, 250, "Edge")},
         false},
        {"a lone picture at the default place", {picture(0, 0)}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Layout whole{row.items, row.mirror};
        if (row.items.size() == 1) whole.items[0].placed = false;
        const Composition all = compose(whole);
        ASSERT_TRUE(all.refusals.empty()) << all.refusals[0].text;
        ASSERT_FALSE(all.preview.empty());
        std::vector<image::Bitmap> alone;
        for (const Item& item : whole.items) alone.push_back(compose(Layout{{item}, row.mirror}).preview);
        int blackDots = 0;
        for (int y = 0; y < kEngravingDots; ++y)
            for (int x = 0; x < kEngravingDots; ++x) {
                bool any = false;
                for (const image::Bitmap& b : alone) any = any || black(b, x, y);
                ASSERT_EQ(black(all.preview, x, y), any) << x << "," << y;
                blackDots += any;
            }
        EXPECT_GT(blackDots, 1000);
    }
}

TEST(LayoutTest, AnItemOffTheEdgeIsClippedNeverWrappedAndOneWhollyOffIsReported) {
    const Composition inside = compose(Layout{{code(100, 120)}});
    const Composition cut = compose(Layout{{code(-37, -11), code(600, 10)}});
    ASSERT_FALSE(cut.preview.empty());
    ASSERT_EQ(cut.offField.size(), 1u);
    EXPECT_EQ(cut.offField[0].item, 2u);
    Pieces pieces;
    ASSERT_TRUE(pieces.prepare(Layout{{code(0, 0)}}).empty());
    const int side = pieces.source(0)->width;
    for (int y = 0; y < kEngravingDots; ++y)
        for (int x = 0; x < kEngravingDots; ++x) {
            // What lies at (x, y) is what lay 137 dots right and 131 down; the rest stays white.
            const bool expected = x < side - 37 && y < side - 11 && black(inside.preview, x + 137, y + 131);
            ASSERT_EQ(black(cut.preview, x, y), expected) << x << "," << y;
        }
}

TEST(LayoutTest, APictureAddedTwentyTimesIsDecodedOnce) {
    Layout layout;
    for (int i = 0; i < 20; ++i) layout.items.push_back(picture(i * 20, i * 20, 100 + i * 5));
    Pieces pieces;
    ASSERT_TRUE(pieces.prepare(layout).empty());
    EXPECT_EQ(pieces.sharedPictures(), 1u);
    EXPECT_EQ(pieces.source(0), pieces.source(19));
    // Moving items decodes nothing again: the same pixels are kept.
    const image::Raster* before = pieces.source(0);
    layout.items[3].x += 50;
    ASSERT_TRUE(pieces.prepare(layout).empty());
    EXPECT_EQ(pieces.source(0), before);
}

// A picture of fine detail: one-dot lines and a gradient, so that any resampling of the wrong pixels shows.
image::Raster detailed(int w, int h) {
    image::Raster r(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = r.at(x, y);
            p[0] = static_cast<std::uint8_t>((x * 7 + y * 3) & 0xFF);
            p[1] = static_cast<std::uint8_t>(((x ^ y) & 1) ? 255 : (x * 255 / w));
            p[2] = static_cast<std::uint8_t>(y * 255 / h);
        }
    return r;
}

bool writeBmp(const std::string& path, const image::Raster& r) {
    const image::Bytes bmp = image::takeSnapshot(r, r.width, r.height, image::Resample::Halftone);
    return image::writeFile(path, {std::span<const std::uint8_t>(bmp)});
}

TEST(LayoutTest, ARedrawAfterEachEditIsWhatAFreshCompositionGives) {
    testing::TempFolder folder;
    const std::string large = folder.string() + "/large.bmp";
    ASSERT_TRUE(writeBmp(large, detailed(1000, 800)));
    Layout layout{{picture(0, 0, 200), code(300, 300), picture(250, 20, 150)}};
    layout.items[2].file = large;
    Pieces pieces;
    ASSERT_TRUE(pieces.prepare(layout).empty());
    const std::function<void(Layout&)> edits[] = {
        [](Layout& l) { l.items[0].x += 7; },
        [](Layout& l) { l.items[0].conversion.mode = image::Conversion::Jarvis; },
        [](Layout& l) { l.items[1].quarterTurns = 1; },
        [](Layout& l) { l.items[2].width = 480; },  // decoded again, larger
        [](Layout& l) { l.items[2].width = 90; },   // and smaller
        [](Layout& l) { l.items.push_back(l.items[2]); },
        [](Layout& l) { l.mirror = true; },
    };
    for (std::size_t i = 0; i < std::size(edits); ++i) {
        SCOPED_TRACE(i);
        edits[i](layout);
        ASSERT_TRUE(pieces.prepare(layout).empty());
        EXPECT_EQ(compose(layout, pieces).preview.ToByteSet(), compose(layout).preview.ToByteSet());
    }
}

TEST(LayoutTest, ACropOfALargePictureIsTheSameCropMadeBeforehand) {
    testing::TempFolder folder;
    const image::Raster large = detailed(3000, 2000);
    const Crop crop{1234, 567, 400, 300};
    image::Raster part(crop.width, crop.height);
    for (int y = 0; y < crop.height; ++y)
        std::memcpy(part.at(0, y), large.at(crop.left, crop.top + y),
                    static_cast<std::size_t>(crop.width) * 3);
    const std::string largeFile = folder.string() + "/large.bmp", partFile = folder.string() + "/part.bmp";
    ASSERT_TRUE(writeBmp(largeFile, large));
    ASSERT_TRUE(writeBmp(partFile, part));
    for (const int width : {0, 250, 512}) {
        SCOPED_TRACE(width);
        Item cropped = picture(30, 40, width, 1);
        cropped.file = largeFile;
        cropped.crop = crop;
        Item before = cropped;
        before.file = partFile;
        before.crop = {};
        const Composition a = compose(Layout{{cropped}}), b = compose(Layout{{before}});
        ASSERT_FALSE(a.preview.empty());
        EXPECT_EQ(a.preview.ToByteSet(), b.preview.ToByteSet());
    }
    Item outside = picture(0, 0);
    outside.file = largeFile;
    outside.crop = {2900, 0, 200, 100};
    const Composition refused = compose(Layout{{outside}});
    ASSERT_EQ(refused.refusals.size(), 1u);
    EXPECT_NE(refused.refusals[0].text.find("3000 x 2000"), std::string::npos) << refused.refusals[0].text;
    EXPECT_TRUE(refused.preview.empty());
}

}  // namespace
}  // namespace tessary::layout
