// SPDX-License-Identifier: GPL-3.0-or-later
// The Layout window on the real main window: the picture taken in is the first piece, a QR code added and
// placed by its numbers joins it on the engraving, and removed leaves the intake's own bytes.
#include "app/definitions/definitions.h"
#include "intake/intake.h"
#include "intake_fixture.h"
#include "layout/layout.h"

namespace tessary::intake::testing {
namespace {

namespace lw = layout_window;

class LayoutWindowTest : public MainWindow {
  protected:
    Window* layoutWindow() { return console().window("Layout"); }
    void clickIn(std::string_view unit) {
        console().dispatch(layoutWindowDefinition(), std::string(unit), event::kClick, {});
    }
    void type(std::string_view unit, const std::string& text) {
        layoutWindow()->set(unit, prop::editbox::kContent, text);
        console().dispatch(layoutWindowDefinition(), std::string(unit), event::kChanged, {});
    }
};

TEST_F(LayoutWindowTest, ACodeAddedAndPlacedJoinsThePictureAndRemovedLeavesTheIntakesBytes) {
    const std::string photo = std::string(TESSARY_TESTDATA_DIR) + "/jpeg/hopper.jpg";
    drop(photo);
    const image::Bytes plain = readFile(previewFile());
    console().dispatch(mainWindowDefinition(), "", event::kShortcut + 3, {});  // Ctrl+L
    ASSERT_TRUE(layoutWindow());
    EXPECT_EQ(layoutWindow()->getText(lw::kItems, prop::combobox::kText), "1. Picture: hopper.jpg");
    EXPECT_EQ(readFile(previewFile()), plain);
    EXPECT_EQ(layoutWindow()->getInt(lw::kRemove, prop::kDisabled), 1) << "the first piece stays";

    type(lw::kContent, "https://example.org/rex");
    clickIn(lw::kAddCode);
    EXPECT_EQ(layoutWindow()->getText(lw::kItems, prop::combobox::kText),
              "2. QR code: https://example.org/rex");
    const std::string width = layoutWindow()->getText(lw::kWidth, prop::editbox::kContent);
    type(lw::kX, "330");
    type(lw::kY, "-20");

    layout::Item picture;
    picture.file = photo;
    layout::Item code;
    code.kind = layout::ItemKind::QrCode;
    code.qr.text = "https://example.org/rex";
    code.placed = true;
    code.x = 330;
    code.y = -20;
    code.width = code.height = std::stoi(width);
    const image::Bytes expected = layout::compose(layout::Layout{{picture, code}}).preview.ToByteSet();
    EXPECT_EQ(readFile(previewFile()), expected);
    EXPECT_EQ(state().engraving.ToByteSet(), bitmapOf(expected).Mirror(false, true).ToByteSet());

    type(lw::kX, "3x0");
    EXPECT_EQ(readFile(previewFile()), expected) << "half-typed numbers change nothing";
    clickIn(lw::kRemove);
    EXPECT_EQ(readFile(previewFile()), plain);
    EXPECT_EQ(state().engraving.ToByteSet(), bitmapOf(plain).Mirror(false, true).ToByteSet());
}

TEST_F(LayoutWindowTest, ACodeTooLongOrAnEmptyTextIsRefusedWithWhyAndNotAdded) {
    drop(std::string(TESSARY_TESTDATA_DIR) + "/jpeg/hopper.jpg");
    const image::Bytes plain = readFile(previewFile());
    console().dispatch(mainWindowDefinition(), "", event::kShortcut + 3, {});
    ASSERT_TRUE(layoutWindow());
    type(lw::kContent, std::string(3000, 'x'));
    clickIn(lw::kAddCode);
    EXPECT_FALSE(layoutWindow()->getText(lw::kStatus, prop::label::kCaption).empty());
    type(lw::kContent, "");
    clickIn(lw::kAddText);
    EXPECT_EQ(layoutWindow()->getText(lw::kStatus, prop::label::kCaption), std::string(intake::kNoText));
    EXPECT_EQ(layoutWindow()->getText(lw::kItems, prop::combobox::kText), "1. Picture: hopper.jpg");
    EXPECT_EQ(readFile(previewFile()), plain);
}

}  // namespace
}  // namespace tessary::intake::testing
