// SPDX-License-Identifier: GPL-3.0-or-later
// The files-dropped handler on the real main window: placement, log, preview file, engraving bitmap,
// refusals and the controls that follow.
#include <array>

#include "app/definitions/unit_names.h"
#include "app/shell/control_states.h"
#include "image/canvas.h"
#include "image/picture.h"
#include "intake/fitting.h"
#include "intake/intake.h"
#include "intake_fixture.h"
#include "support/bitmap_pixels.h"

namespace tessary::intake::testing {
namespace {

using tessary::testing::indexAt;

const std::string kFirstLines = "Original image information:\r\n\r\n";
const std::string kTooLarge = "Image is too large,It has been adjusted to the optimal resolution\r\n\r\n";
const std::string kConverted = "Image has been converted to black and white\r\n\r\n";

using IntakeTest = MainWindow;

TEST_F(IntakeTest, DrawsThePictureWhereTheFieldRuleSaysAndLogsItsOwnSize) {
    struct Case {
        int w, h;
        Placement drawn;
        bool tooLarge;
    };
    const Case cases[] = {
        {1024, 768, {0, 61, 490, 367}, true},    {300, 600, {122, 0, 245, 490}, true},
        {200, 100, {145, 195, 200, 100}, false}, {490, 490, {0, 0, 490, 490}, false},
        {489, 489, {0, 0, 489, 489}, false},     {100, 100, {195, 195, 100, 100}, false},
        {600, 600, {0, 0, 490, 490}, true},      {511, 200, {0, 149, 490, 191}, false},
        {512, 200, {0, 149, 490, 191}, true},
    };
    const std::uint32_t face = main().drawPanel(main_window::kCanvas).background();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        EXPECT_EQ(fitIntoField(c.w, c.h), c.drawn);
        const std::string before = log();
        drop(picture("black.bmp", solid(c.w, c.h, 0, 0, 0)));
        // A flat picture stays flat whatever the resampling, so the surface is known exactly.
        image::Raster surface(510, 510);
        image::clear(surface, 0, 0, 510, 510, face);
        image::clear(surface, c.drawn.left, c.drawn.top, c.drawn.width, c.drawn.height, 0);
        EXPECT_EQ(image::bmp24(state().kept, true),
                  image::takeSnapshot(surface, 512, 512, image::Resample::Halftone));
        const std::string resolution =
            "Image resolution:" + std::to_string(c.w) + "*" + std::to_string(c.h) + "\r\n\r\n";
        EXPECT_EQ(log(), before + kFirstLines + resolution + (c.tooLarge ? kTooLarge : "") + kConverted);
        EXPECT_EQ(state().zoomSize, 512);
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(IntakeTest, PreviewFileIsTheEngravingBitmapFlippedTopToBottom) {
    image::Raster photo(700, 400);
    for (int y = 0; y < photo.height; ++y)
        for (int x = 0; x < photo.width; ++x) {
            std::uint8_t* p = photo.at(x, y);
            p[0] = static_cast<std::uint8_t>(x * 7 + y);
            p[1] = static_cast<std::uint8_t>(x ^ y);
            p[2] = static_cast<std::uint8_t>(y * 3);
        }
    drop(picture("photo.bmp", photo));

    const image::Bytes preview = readFile(previewFile());
    ASSERT_EQ(preview.size(), 32830u);
    EXPECT_EQ(asBytes(main().get(main_window::kPreview, prop::picbox::kPicture)), preview);
    const image::Bytes engraving = state().engraving.ToByteSet();
    ASSERT_EQ(engraving.size(), 32830u);
    EXPECT_EQ(image::Bytes(engraving.begin(), engraving.begin() + 62),
              image::Bytes(preview.begin(), preview.begin() + 62));
    EXPECT_EQ((image::Bytes{engraving.begin() + 54, engraving.begin() + 62}),
              (image::Bytes{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}));
    // The first stored row of what the engraver gets is the preview's top row (the preview file's last).
    EXPECT_TRUE(std::equal(engraving.begin() + 62, engraving.begin() + 62 + 64, preview.end() - 64));

    const image::Bitmap shown = bitmapOf(preview);
    int black = 0;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            ASSERT_EQ(indexAt(state().engraving, x, y), indexAt(shown, x, 511 - y)) << x << "," << y;
            black += indexAt(shown, x, y) == 0;
        }
    EXPECT_GT(black, 1000);  // the picture is in it, not only margins
}

TEST_F(IntakeTest, BlackAndWhiteSplitsBetween127And128WithWhiteMargins) {
    struct Case {
        std::uint8_t grey;
        int inside;
    };
    for (const Case& c : {Case{128, 1}, Case{127, 0}}) {
        SCOPED_TRACE(int{c.grey});
        drop(picture("grey.bmp", solid(300, 300, c.grey, c.grey, c.grey)));  // at (95, 95) of the surface
        const image::Bitmap shown = bitmapOf(readFile(previewFile()));
        for (int at : {100, 256, 390}) EXPECT_EQ(indexAt(shown, at, at), c.inside) << at;
        for (auto [x, y] : {std::pair{5, 5}, {256, 50}, {480, 256}, {511, 511}, {256, 505}})
            EXPECT_EQ(indexAt(shown, x, y), 1) << x << "," << y;
    }
}

TEST_F(IntakeTest, RefusedDropKeepsThePreviousPictureEverywhere) {
    drop(picture("first.bmp", solid(400, 300, 0, 0, 0)));
    const image::Bytes preview = readFile(previewFile());
    const image::Bytes shown = asBytes(main().get(main_window::kPreview, prop::picbox::kPicture));
    const image::Bytes engraving = state().engraving.ToByteSet();
    const std::string previewPath = state().previewPath;

    writeBytes(dir / "notes.bmp", image::Bytes(2000, 'a'));
    writeBytes(dir / "empty.png", {});
    const image::Bytes photo =
        readFile(std::filesystem::path(TESSARY_TESTDATA_DIR) / "jpeg" / "Landscape_1.jpg");
    writeBytes(dir / "cut.jpg",
               image::Bytes(photo.begin(), photo.begin() + static_cast<long>(photo.size() / 3)));
    std::filesystem::create_directory(dir / "folder.jpg");
    const std::string two =
        picture("a.bmp", solid(4, 4, 9, 9, 9)) + "\r\n" + picture("b.bmp", solid(4, 4, 9, 9, 9)) + "\r\n";
    const std::string notFound = "it was not found (moved, renamed or deleted?)";
    struct Case {
        std::string text, name, reason;
    };
    const auto file = [&](const char* name) { return (dir / name).string(); };
    const Case cases[] = {
        {file("notes.bmp"), "notes.bmp", "it is not a kind of picture Tessary takes in"},
        {two, "", "several files were dropped at once; drop one picture at a time"},
        {file("missing.png"), "missing.png", notFound},
        {file("folder.jpg"), "folder.jpg", "it is a folder, not a picture"},
        {std::string(), "", "no picture was dropped or opened yet"},
        {file("cut.jpg"), "cut.jpg", "the picture is damaged or cut short"},
        {file("empty.png"), "empty.png", "the file is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        dialogs.shown.clear();
        state().zoomSize = 301;
        const std::string logBefore = log();
        drop(c.text);
        // The usual box, which also names the file and says why; the log keeps the whole path.
        const std::string named = c.name.empty() ? "" : c.name + ": ";
        EXPECT_EQ(dialogs.shown,
                  (std::vector<Shown>{{"Wrong file type\n\n" + named + c.reason, 0, "Sorry "}}));
        const std::string path = c.name.empty() ? "" : c.text + ": ";
        EXPECT_EQ(log(), logBefore + "Not taken in: " + path + c.reason + "\r\n\r\n");
        EXPECT_EQ(readFile(previewFile()), preview);
        EXPECT_EQ(asBytes(main().get(main_window::kPreview, prop::picbox::kPicture)), shown);
        EXPECT_EQ(state().engraving.ToByteSet(), engraving);
        EXPECT_EQ(state().previewPath, previewPath);
        EXPECT_EQ(state().zoomSize, 301);
        EXPECT_EQ(state().droppedFileName, c.text);
        click(main_window::kReload);  // repeats the refusal
        EXPECT_EQ(dialogs.shown.size(), 2u);
        EXPECT_EQ(readFile(previewFile()), preview);
    }
}

TEST_F(IntakeTest, PictureWhosePreviewFileCannotBeWrittenIsRefusedAndTouchesNothing) {
    std::filesystem::create_directory(previewFile());  // stands where the preview file goes
    drop(picture("fine.bmp", solid(50, 50, 0, 0, 0)));
    EXPECT_TRUE(refusalBoxes(dialogs.shown, 1));
    EXPECT_TRUE(state().engraving.empty());
    EXPECT_TRUE(state().previewPath.empty());
    EXPECT_TRUE(std::filesystem::is_directory(previewFile()));
}

TEST_F(IntakeTest, EveryDropLeavesOnlyTheFiveImageControlsOfTheMachineSetEnabled) {
    const std::array<std::string_view, 5> imageControls = {main_window::kUploadImage, main_window::kZoomIn,
                                                           main_window::kZoomOut, main_window::kRotate,
                                                           main_window::kReload};
    for (const std::string& text :
         {(dir / "nothing.bmp").string(), picture("p.bmp", solid(20, 20, 1, 2, 3))}) {
        for (auto unit : shell::kMachineControls) main().set(unit, prop::kDisabled, std::int32_t{0});
        drop(text);
        for (auto unit : shell::kMachineControls) {
            const bool image =
                std::find(imageControls.begin(), imageControls.end(), unit) != imageControls.end();
            EXPECT_EQ(main().getInt(unit, prop::kDisabled), image ? 0 : 1) << unit << " after " << text;
        }
    }
}

TEST_F(IntakeTest, PreviewFileGoesWhenTheMainWindowCloses) {
    drop(picture("p.bmp", solid(20, 20, 1, 2, 3)));
    ASSERT_TRUE(std::filesystem::exists(previewFile()));
    closeMainWindow();
    EXPECT_FALSE(std::filesystem::exists(previewFile()));
}

}  // namespace
}  // namespace tessary::intake::testing
