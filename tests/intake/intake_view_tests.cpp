// SPDX-License-Identifier: GPL-3.0-or-later
// Rotate, Zoom out, Zoom in and Reload on the real main window, and their behaviour before any picture.
#include "app/definitions/unit_names.h"
#include "image/canvas.h"
#include "image/picture.h"
#include "intake_fixture.h"
#include "support/bitmap_pixels.h"

namespace tessary::intake::testing {
namespace {

using tessary::testing::indexAt;
using tessary::testing::setIndexAt;

using ViewTest = MainWindow;

// An engraving bitmap whose preview is white but for the given black pixels (preview coordinates).
image::Bitmap engravingWithBlack(std::initializer_list<std::pair<int, int>> black) {
    image::Bitmap b = image::Bitmap::create(512, 512, 1);
    for (int y = 0; y < 512; ++y) std::fill_n(b.storedRow(y), b.stride(), 0xFF);
    for (auto [x, y] : black) setIndexAt(b, x, 511 - y, 0);
    return b;
}

std::vector<std::pair<int, int>> blackPixels(const image::Bitmap& preview) {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < preview.height(); ++y)
        for (int x = 0; x < preview.width(); ++x)
            if (indexAt(preview, x, y) == 0) out.emplace_back(x, y);
    return out;
}

TEST_F(ViewTest, RotateTurnsThePreviewClockwiseWithoutResampling) {
    state().engraving = engravingWithBlack({{0, 0}});
    click(main_window::kRotate);
    const image::Bytes preview = readFile(previewFile());
    ASSERT_EQ(preview.size(), 32830u);
    EXPECT_EQ(blackPixels(bitmapOf(preview)), (std::vector<std::pair<int, int>>{{511, 0}}));
    EXPECT_EQ(asBytes(main().get(main_window::kPreview, prop::picbox::kPicture)), preview);
    EXPECT_EQ(indexAt(state().engraving, 511, 511), 0);

    drop(picture("photo.bmp", [] {
        image::Raster r(333, 222);
        for (std::size_t i = 0; i < r.rgb.size(); ++i) r.rgb[i] = static_cast<std::uint8_t>(i * 37 % 251);
        return r;
    }()));
    const image::Bytes dropped = readFile(previewFile());
    const image::Bytes engraving = state().engraving.ToByteSet();
    for (int turn = 1; turn <= 4; ++turn) {
        click(main_window::kRotate);
        EXPECT_EQ(readFile(previewFile()) == dropped, turn == 4) << turn;
    }
    EXPECT_EQ(state().engraving.ToByteSet(), engraving);
}

TEST_F(ViewTest, ZoomOutShrinksTheWholePreviewTowardsTheCentreUntilNothingIsLeft) {
    drop(picture("black.bmp", solid(490, 490, 0, 0, 0)));
    const std::uint32_t face = main().drawPanel(main_window::kCanvas).background();
    struct Step {
        int offset, size;
    };
    for (const Step& s : {Step{7, 486}, Step{19, 461}}) {
        const auto before = image::LoadPicture(readFile(previewFile()));
        ASSERT_TRUE(before);
        click(main_window::kZoomOut);
        EXPECT_EQ(state().zoomSize, s.size);
        image::Raster surface(510, 510);
        image::clear(surface, 0, 0, 510, 510, face);
        image::drawPicture(surface, *before, s.offset, s.offset, s.size, s.size, image::Resample::Halftone);
        EXPECT_EQ(image::bmp24(state().kept, true),
                  image::takeSnapshot(surface, 512, 512, image::Resample::Halftone))
            << s.size;
    }
    for (int click = 3; click <= 75; ++click) this->click(main_window::kZoomOut);
    EXPECT_EQ(state().zoomSize, 0);
    const image::Bytes preview = readFile(previewFile());
    EXPECT_EQ(preview.size(), 32830u);
    EXPECT_TRUE(blackPixels(bitmapOf(preview)).empty());
}

TEST_F(ViewTest, ZoomInThenOutLosesDetailAndReloadRestoresTheDrop) {
    image::Raster stripes(480, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 480; ++x) std::fill_n(stripes.at(x, y), 3, (x / 3 + y / 5) % 2 ? 255 : 0);
    const std::string logBeforeDrop = log();
    drop(picture("stripes.bmp", stripes));
    const image::Bytes dropped = readFile(previewFile());
    const std::string logAfterDrop = log();

    click(main_window::kZoomIn);
    EXPECT_EQ(state().zoomSize, 512);
    click(main_window::kZoomOut);
    EXPECT_NE(readFile(previewFile()), dropped);
    EXPECT_EQ(log(), logAfterDrop);  // view operations write no log line

    click(main_window::kReload);
    EXPECT_EQ(readFile(previewFile()), dropped);
    EXPECT_EQ(state().zoomSize, 512);
    EXPECT_EQ(log(), logAfterDrop + logAfterDrop.substr(logBeforeDrop.size()));
}

TEST_F(ViewTest, ZoomsWorkOnTheirOwnPictureWhenAnotherConsoleRewroteOrDeletedThePreviewFile) {
    const std::string photo = picture("photo.bmp", solid(300, 200, 0, 0, 0));
    const image::Bytes stranger = readFile(picture("other.bmp", solid(20, 20, 255, 255, 255)));
    drop(photo);
    click(main_window::kZoomIn);
    click(main_window::kZoomOut);
    const image::Bytes expected = state().engraving.ToByteSet();
    ASSERT_FALSE(blackPixels(state().engraving).empty());
    for (const bool deleted : {false, true}) {
        SCOPED_TRACE(deleted ? "deleted" : "rewritten");
        drop(photo);
        std::filesystem::remove(previewFile());
        if (!deleted) writeBytes(previewFile(), stranger);
        click(main_window::kZoomIn);
        click(main_window::kZoomOut);
        EXPECT_EQ(state().engraving.ToByteSet(), expected);
    }
}

TEST_F(ViewTest, WithoutAPictureRotateEmptiesThePreviewAndZoomsGiveWhite) {
    click(main_window::kRotate);
    EXPECT_TRUE(std::filesystem::exists(previewFile()));
    EXPECT_TRUE(readFile(previewFile()).empty());
    EXPECT_TRUE(asBytes(main().get(main_window::kPreview, prop::picbox::kPicture)).empty());
    EXPECT_TRUE(state().engraving.empty());

    for (const char* button : {main_window::kZoomOut, main_window::kZoomIn}) {
        click(button);
        ASSERT_EQ(state().engraving.width(), 512) << button;
        EXPECT_TRUE(blackPixels(state().engraving).empty()) << button;
        EXPECT_EQ(readFile(previewFile()).size(), 32830u);
    }
    click(main_window::kReload);
    EXPECT_TRUE(refusalBoxes(dialogs.shown, 1));
}

}  // namespace
}  // namespace tessary::intake::testing
