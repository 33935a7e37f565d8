// Ways in other than a drop: the file chooser (Ctrl+O), a file named at start, and the Text window. Each
// runs the intake a drop runs.
#include <QTimer>

#include "app/program_parts.h"
#include "image/handlers/intake.h"
#include "intake_fixture.h"

namespace tessary::intake::testing {
namespace {

using OtherWaysIn = MainWindow;

TEST_F(OtherWaysIn, ChosenAndStartFilesAreTakenInAsADrop) {
    const std::string first = picture("wide.bmp", solid(600, 200, 10, 10, 10));
    std::filesystem::create_directories(dir / "sub");
    const std::string second = picture("sub/tall.bmp", solid(100, 300, 200, 200, 200));

    drop(first);
    const std::string droppedLog = log();
    const image::Bytes droppedPreview = readFile(previewFile());

    struct Way {
        const char* name;
        std::function<void()> run;
        std::string expectedFile;
    };
    const std::filesystem::path relative = std::filesystem::relative(first);
    const Way ways[] = {
        {"chooser", [&] { dialogs.chooserAnswers = {first}; console().invoke("openPicture", {}); }, first},
        {"start", [&] { takeInAtStart(console(), mainWindowDefinition(), relative.string()); },
         std::filesystem::absolute(relative).string()},
    };
    for (const Way& way : ways) {
        main().set("编辑框1", prop::editbox::kContent, droppedLog);
        way.run();
        EXPECT_EQ(log(), droppedLog + droppedLog.substr(droppedLog.find("Original"))) << way.name;
        EXPECT_EQ(readFile(previewFile()), droppedPreview) << way.name;
        EXPECT_EQ(state().droppedFileName, way.expectedFile) << way.name;
    }

    // The chooser opens where the last chosen picture was; cancelling it changes nothing.
    dialogs.chooserAnswers = {second, std::nullopt};
    console().invoke("openPicture", {});
    const image::Bytes secondPreview = readFile(previewFile());
    const std::string secondLog = log();
    console().invoke("openPicture", {});
    ASSERT_EQ(dialogs.chooserFolders.size(), 3u);
    EXPECT_EQ(dialogs.chooserFolders[0], "");
    EXPECT_EQ(dialogs.chooserFolders[1], dir.string());
    EXPECT_EQ(dialogs.chooserFolders[2], (dir / "sub").string());
    EXPECT_EQ(readFile(previewFile()), secondPreview);
    EXPECT_EQ(log(), secondLog);
    for (const char* pattern : {"*.jpg", "*.heic", "*.avif", "*.webp", "*.gif", "*.svg", "*.PCX", "All files (*)"})
        EXPECT_NE(dialogs.chooserFilters.find(pattern), std::string::npos) << pattern;

    // Ctrl+O is the main window's key for the chooser.
    const auto& shortcuts = mainWindowDefinition().shortcuts;
    ASSERT_EQ(shortcuts.size(), 1u);
    EXPECT_EQ(shortcuts[0].keys, "Ctrl+O");
    EXPECT_EQ(shortcuts[0].handler, "openPicture");
}

TEST_F(OtherWaysIn, TextWindowTakesTextInOrRefusesAnEmptyOne) {
    drop(picture("first.bmp", solid(50, 40, 0, 0, 0)));
    const image::Bytes firstPreview = readFile(previewFile());
    const std::string firstLog = log();

    // Filled in and confirmed while the window is open; an empty text leaves it open, so it is closed.
    auto typeAndConfirm = [this](const std::string& text, int style, int alignment) {
        QTimer::singleShot(0, [this, text, style, alignment] {
            Window* w = console().setting();
            ASSERT_NE(w, nullptr);
            EXPECT_GT(w->getText("fontList", prop::combobox::kItems).size(), 0u);
            w->set("textBox", prop::editbox::kContent, text);
            w->set("styleList", prop::combobox::kSelection, std::int32_t{style});
            w->set("alignmentList", prop::combobox::kSelection, std::int32_t{alignment});
            console().dispatch(*w, textWindowDefinition(), "okButton", event::kClick, {});
            if (console().setting()) console().setting()->close();
        });
        console().invoke("openTextWindow", {});
    };

    typeAndConfirm("  \r\n ", 0, 0);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, kNoText);
    EXPECT_EQ(readFile(previewFile()), firstPreview);
    EXPECT_EQ(log(), firstLog);
    EXPECT_FALSE(state().typedText);

    typeAndConfirm("Tessary\r\n2026", 3, 1);
    ASSERT_TRUE(state().typedText);
    EXPECT_EQ(state().typedText->text, "Tessary\r\n2026");
    EXPECT_TRUE(state().typedText->style.bold && state().typedText->style.italic);
    EXPECT_EQ(state().typedText->style.alignment, render::TextAlignment::Centre);
    const std::string added = log().substr(firstLog.size());
    EXPECT_EQ(added.rfind(kLogOriginal, 0), 0u);
    EXPECT_NE(added.find("Image resolution:490*"), std::string::npos);
    EXPECT_NE(readFile(previewFile()), firstPreview);
    EXPECT_EQ(dialogs.shown.size(), 1u);

    // Reload renders the same text again.
    const image::Bytes textPreview = readFile(previewFile());
    click("按钮重载");
    EXPECT_EQ(readFile(previewFile()), textPreview);
    EXPECT_EQ(log().substr(firstLog.size() + added.size()), added);
}

}  // namespace
}  // namespace tessary::intake::testing
