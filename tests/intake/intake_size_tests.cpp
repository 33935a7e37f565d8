// SPDX-License-Identifier: GPL-3.0-or-later
// The picture's size in the field, the zoom that draws the picture taken in anew, and an inverted picture
// meeting the margin.
#include <algorithm>

#include "intake/fitting.h"
#include "intake/headless.h"
#include "intake_fixture.h"
#include "support/bitmap_pixels.h"

namespace tessary::intake::testing {
namespace {

using tessary::testing::indexAt;

using SizeTest = MainWindow;

// The smallest rectangle around the black pixels of a preview (x, y, width, height).
image::PictureRect blackBounds(const image::Bitmap& preview) {
    int left = preview.width(), top = preview.height(), right = -1, bottom = -1;
    for (int y = 0; y < preview.height(); ++y)
        for (int x = 0; x < preview.width(); ++x)
            if (indexAt(preview, x, y) == 0) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    return right < 0 ? image::PictureRect{}
                     : image::PictureRect{left, top, right - left + 1, bottom - top + 1};
}

TEST(PlacementTest, SizeAndZoomStepsKeepThePictureCentredAndInReach) {
    struct Case {
        int w, h, size;
        bool fill;
        int steps;
        Placement expected;
    };
    const Case cases[] = {
        {128, 128, 0, false, 0, {181, 181, 128, 128}},  // own size, never enlarged
        {128, 128, 400, false, 0, {45, 45, 400, 400}},  // a chosen size enlarges
        {128, 64, 0, true, 0, {0, 122, 490, 245}},      // fill
        {1800, 1200, 300, false, 0, {95, 145, 300, 200}},
        {1800, 1200, 0, false, 0, {0, 81, 490, 326}},    // the field rule itself
        {1800, 1200, 0, false, 1, {-19, 69, 528, 351}},  // Zoom In: 550 / 510
        {1800, 1200, 0, false, -1, {12, 90, 465, 309}},  // Zoom Out: 0.95
        {5000, 1, 300, false, 0, {95, 244, 300, 1}},     // a chosen size keeps a line visible
    };
    for (const Case& c : cases)
        EXPECT_EQ(placeInField(c.w, c.h, c.size, c.fill, c.steps), c.expected)
            << c.w << "x" << c.h << " size " << c.size << " fill " << c.fill << " steps " << c.steps;
    const DrawnSize field{490, 490};
    int in = 0;
    while (zoomInStep(field, in) != in) ++in;
    EXPECT_LE(zoomed(field, in).width, kMaxZoomedSide);
    EXPECT_GT(zoomed(field, in + 1).width, kMaxZoomedSide);
    int out = 0;
    while (zoomOutStep(field, out) != out) --out;
    EXPECT_EQ(zoomed(field, out), (DrawnSize{0, 0}));
    EXPECT_GT(zoomed(field, out + 1).width, 0);
}

TEST_F(SizeTest, ZoomInThenOutGivesBackTheEngravingBitForBitAndCentred) {
    const std::string photo = std::string(TESSARY_TESTDATA_DIR) + "/jpeg/Landscape_1.jpg";
    image::ConversionOptions jarvis;
    jarvis.mode = image::Conversion::Jarvis;
    image::ConversionOptions sized;
    sized.mode = image::Conversion::FloydSteinberg;
    sized.size = 300;
    image::ConversionOptions threshold;  // the threshold at another level draws anew too
    threshold.threshold = 420;
    for (const image::ConversionOptions& options : {jarvis, sized, threshold}) {
        SCOPED_TRACE(image::describeConversion(options));
        ImageState state;
        state.options = options;
        Headless around((dir / "out.bmp").string(), true);
        ASSERT_EQ(takeIn(state, around, photo), IntakeResult::Prepared);
        const image::Bytes dropped = state.engraving.ToByteSet();
        const auto centre = [&] {
            const image::PictureRect r = state.pictureRect;
            return std::pair{2 * r.left + r.width, 2 * r.top + r.height};
        };
        const auto droppedCentre = centre();

        zoomIn(state, around);
        EXPECT_NE(state.engraving.ToByteSet(), dropped);
        EXPECT_NEAR(centre().first, droppedCentre.first, 2);
        EXPECT_NEAR(centre().second, droppedCentre.second, 2);
        zoomOut(state, around);
        EXPECT_EQ(state.engraving.ToByteSet(), dropped);
        zoomOut(state, around);
        zoomOut(state, around);
        zoomIn(state, around);
        zoomIn(state, around);
        EXPECT_EQ(state.engraving.ToByteSet(), dropped);
        for (int turn = 1; turn <= 4; ++turn) {
            rotate(state, around);
            EXPECT_EQ(state.engraving.ToByteSet() == dropped, turn == 4) << turn;
        }
        EXPECT_EQ(readFile(dir / "out.bmp"), bitmapOf(dropped).Mirror(false, true).ToByteSet());
    }
}

TEST_F(SizeTest, TheEngravingIsDrawnFromThePictureTakenInAtTheChosenSize) {
    struct Case {
        int w, h, size;
        bool fill;
        int drawnWidth, drawnHeight;  // on the 510-dot surface
    };
    const Case cases[] = {
        {128, 128, 0, false, 128, 128},  {128, 128, 400, false, 400, 400},  {128, 128, 0, true, 490, 490},
        {128, 64, 300, false, 300, 150}, {1000, 500, 200, false, 200, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " size " + std::to_string(c.size));
        const std::string logo = picture("logo.bmp", solid(c.w, c.h, 20, 20, 20));
        ImageState state;
        state.options.size = c.size;
        state.options.fill = c.fill;
        Headless around((dir / "out.bmp").string(), true);
        ASSERT_EQ(takeIn(state, around, logo), IntakeResult::Prepared);
        const image::PictureRect black = blackBounds(bitmapOf(readFile(dir / "out.bmp")));
        // The surface is enlarged by 512 / 510 into the preview.
        EXPECT_NEAR(black.width, c.drawnWidth * 512 / 510, 1);
        EXPECT_NEAR(black.height, c.drawnHeight * 512 / 510, 1);
        EXPECT_NEAR(2 * black.left + black.width, 2 * 246, 3);
        EXPECT_NEAR(2 * black.top + black.height, 2 * 246, 3);

        // Another size and back: the picture taken in gives the same engraving again.
        const image::Bytes first = state.engraving.ToByteSet();
        state.options.size = 50;
        state.options.fill = false;
        ASSERT_TRUE(reconvert(state, around));
        state.options.size = c.size;
        state.options.fill = c.fill;
        ASSERT_TRUE(reconvert(state, around));
        EXPECT_EQ(state.engraving.ToByteSet(), first);
    }
}

TEST_F(SizeTest, AnInvertedPictureMeetsTheMarginWithoutADarkLine) {
    // A dark photo, inverted, is light; the rows and columns where it meets the margin must be no darker
    // than its inside.
    const std::string photo = picture("dark.bmp", [] {
        image::Raster r(460, 300);
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x)
                std::fill_n(r.at(x, y), 3, static_cast<std::uint8_t>(40 + (x + y) % 30));
        return r;
    }());
    for (const image::Conversion mode : {image::Conversion::Threshold, image::Conversion::FloydSteinberg}) {
        SCOPED_TRACE(std::string(image::conversionName(mode)));
        ImageState state;
        state.options.mode = mode;
        state.options.invert = true;
        Headless around((dir / "out.bmp").string(), true);
        ASSERT_EQ(takeIn(state, around, photo), IntakeResult::Prepared);
        const image::Bitmap preview = bitmapOf(readFile(dir / "out.bmp"));
        const image::PictureRect r = state.pictureRect;
        const auto blackShare = [&](int x0, int y0, int w, int h) {
            int black = 0;
            for (int y = y0; y < y0 + h; ++y)
                for (int x = x0; x < x0 + w; ++x) black += 1 - indexAt(preview, x, y);
            return black / static_cast<double>(w * h);
        };
        const double inside = blackShare(r.left + 8, r.top + 8, r.width - 16, r.height - 16);
        // Bands two dots deep: error diffusion alternates between its first rows.
        EXPECT_LE(blackShare(r.left, r.top, r.width, 2), inside + 0.08) << "top";
        EXPECT_LE(blackShare(r.left, r.top + r.height - 2, r.width, 2), inside + 0.08) << "bottom";
        EXPECT_LE(blackShare(r.left, r.top, 2, r.height), inside + 0.08) << "left";
        EXPECT_LE(blackShare(r.left + r.width - 2, r.top, 2, r.height), inside + 0.08) << "right";
    }
}

}  // namespace
}  // namespace tessary::intake::testing
