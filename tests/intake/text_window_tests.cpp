// SPDX-License-Identifier: GPL-3.0-or-later
// The Text window on the real main window: the preview and the line under it follow what is typed, OK takes
// in only what fits, and what was typed is there again at the next opening.
#include <QTimer>

#include "app/definitions/unit_names.h"
#include "intake/handlers/text_window.h"
#include "intake/intake.h"
#include "intake_fixture.h"

namespace tessary::intake::testing {
namespace {

class TextWindow : public MainWindow {
  protected:
    // Opens the window from the preview's context menu (or Ctrl+T); `inside` runs while it is open.
    void open(std::function<void(Window&)> inside, bool ctrlT = false) {
        QTimer::singleShot(0, [this, inside] {
            ASSERT_NE(console().setting(), nullptr);
            inside(*console().setting());
            if (console().setting()) console().setting()->close();
        });
        if (ctrlT)
            console().dispatch(mainWindowDefinition(), "", event::kShortcut + 2, {});
        else
            console().dispatch(mainWindowDefinition(), main_window::kPreview, event::kMenuItem + 2, {});
    }
    void press(const char* unit) { console().dispatch(textWindowDefinition(), unit, event::kClick, {}); }
};

TEST_F(TextWindow, PreviewFollowsTheTypingOkTakesInWhatFitsAndTheTextIsRemembered) {
    struct Seen {
        std::string status;
        Bytes preview;
        bool sizeOff;
    };
    std::vector<Seen> seen;
    const auto look = [&seen](Window& w) {
        seen.push_back({w.getText("statusLabel", prop::label::kCaption),
                        asBytes(w.get("previewBox", prop::picbox::kPicture)),
                        w.getInt("sizeBox", prop::kDisabled) != 0});
    };
    const std::string wide = "Happy birthday, dear Anna!";
    bool stayedOpen = false;
    open([&](Window& w) {
        EXPECT_EQ(w.getInt("alignmentList", prop::combobox::kSelection), 1) << "centred";
        w.set("textBox", prop::editbox::kContent, std::string("  \r\n \u200B"));
        look(w);
        press("okButton");
        w.set("textBox", prop::editbox::kContent, std::string("Anna"));
        look(w);
        w.set("sizeBox", prop::editbox::kContent, std::string("80"));
        look(w);
        w.set("sizeBox", prop::editbox::kContent, std::string("0"));
        look(w);
        w.set("sizeBox", prop::editbox::kContent, std::string("200"));
        w.set("textBox", prop::editbox::kContent, wide);
        look(w);
        press("okButton");
        stayedOpen = console().setting() == &w;
        w.set("fillWidthButton", prop::button::kChecked, 1);
        press("fillWidthButton");
        look(w);
        w.set("textBox", prop::editbox::kContent, std::string(10000, 'x'));
        look(w);
        w.set("textBox", prop::editbox::kContent, wide);
        w.set("fillWidthButton", prop::button::kChecked, 0);
        w.set("sizeBox", prop::editbox::kContent, std::string("20"));
        press("okButton");
    });
    ASSERT_EQ(seen.size(), 7u);
    EXPECT_EQ(seen[0].status, "Type the text to engrave.");
    EXPECT_TRUE(seen[1].status.starts_with("Engraved ")) << seen[1].status;
    EXPECT_TRUE(seen[2].status.starts_with("Engraved ") && seen[2].status != seen[1].status)
        << seen[2].status;
    EXPECT_NE(seen[2].preview, seen[1].preview) << "the preview shows the size";
    EXPECT_EQ(seen[3].status, kBadSize);
    EXPECT_TRUE(seen[4].status.starts_with("Too large at size 200: size ")) << seen[4].status;
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].text, kNoText) << "and the window stays open with what was typed";
    EXPECT_TRUE(
        dialogs.shown[1].text.starts_with("The text is too large for the engraving field at size 200"));
    EXPECT_TRUE(seen[5].status.starts_with("Engraved 492 \xC3\x97 ") && seen[5].sizeOff) << seen[5].status;
    EXPECT_TRUE(seen[6].status.starts_with("Too long to fill the width")) << seen[6].status;

    ASSERT_TRUE(state().typedText);
    EXPECT_EQ(state().typedText->text, wide);
    EXPECT_EQ(state().typedText->style.size, 20);
    EXPECT_FALSE(state().typedText->style.fillWidth);
    EXPECT_NE(log().find("Image resolution:"), std::string::npos);
    const Bytes taken = readFile(previewFile());
    click(main_window::kReload);
    EXPECT_EQ(readFile(previewFile()), taken) << "Reload renders the same text again";

    // Opened again (Ctrl+T): what was typed is there; Cancel takes nothing in.
    const std::string logBefore = log();
    std::string text, size;
    open(
        [&](Window& w) {
            text = w.getText("textBox", prop::editbox::kContent);
            size = w.getText("sizeBox", prop::editbox::kContent);
            press("cancelButton");
        },
        true);
    EXPECT_EQ(text, wide);
    EXPECT_EQ(size, "20");
    EXPECT_EQ(console().settings().value(kTextKey), wide);
    EXPECT_EQ(log(), logBefore);
}

}  // namespace
}  // namespace tessary::intake::testing
