// SPDX-License-Identifier: GPL-3.0-or-later
// Ways in other than a drop: the file chooser (Ctrl+O), a file named at start, and typed text. Each runs the
// intake a drop runs.
#include "app/definitions/unit_names.h"
#include "console/program_parts.h"
#include "intake/headless.h"
#include "intake/intake.h"
#include "intake_fixture.h"
#include "platform/user_folders.h"

namespace tessary::intake::testing {
namespace {

class OtherWaysIn : public MainWindow {
  protected:
    // The preview's context menu: "Picture options…", "Open picture…", "Text…", "Layout…".
    void menuItem(int index) {
        const auto& menu = mainWindowDefinition().find(main_window::kPreview)->contextMenu;
        ASSERT_GT(menu.size(), static_cast<std::size_t>(index));
        console().dispatch(mainWindowDefinition(), main_window::kPreview, event::kMenuItem + index, {});
    }
    void shortcut(std::string_view keys) {
        const auto& shortcuts = mainWindowDefinition().shortcuts;
        for (std::size_t i = 0; i < shortcuts.size(); ++i)
            if (shortcuts[i].keys == keys)
                return console().dispatch(mainWindowDefinition(), "", event::kShortcut + static_cast<int>(i),
                                          {});
        ADD_FAILURE() << "no shortcut " << keys;
    }
};

TEST(PreviewMenu, OpenPictureAndTextFollowPictureOptions) {
    const auto& menu = mainWindowDefinition().find(main_window::kPreview)->contextMenu;
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu[0].caption, "Picture options…");
    EXPECT_EQ(menu[1].caption, "Open picture…");
    EXPECT_EQ(menu[1].handler, "openPicture");
    EXPECT_EQ(menu[2].caption, "Text…");
    EXPECT_EQ(menu[2].handler, "openTextWindow");
    EXPECT_EQ(menu[3].caption, "Layout…");
    EXPECT_EQ(menu[3].handler, "openLayoutWindow");
}

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
    // Named at start relative to the current folder, here the picture's own (on Windows the test's folder and
    // the temporary folder may be on different drives, with no relative path between them).
    const tessary::testing::CurrentFolder inDir(dir);
    const std::filesystem::path relative = std::filesystem::relative(first);
    const Way ways[] = {
        {"menu",
         [&] {
             dialogs.chooserAnswers = {first};
             menuItem(1);
         },
         first},
        {"Ctrl+O",
         [&] {
             dialogs.chooserAnswers = {first};
             shortcut("Ctrl+O");
         },
         first},
        {"start", [&] { takeInAtStart(console(), mainWindowDefinition(), relative.string()); },
         std::filesystem::absolute(relative).string()},
    };
    for (const Way& way : ways) {
        main().set(main_window::kLog, prop::editbox::kContent, droppedLog);
        way.run();
        EXPECT_EQ(log(), droppedLog + droppedLog.substr(droppedLog.find("Original"))) << way.name;
        EXPECT_EQ(readFile(previewFile()), droppedPreview) << way.name;
        EXPECT_EQ(state().droppedFileName, way.expectedFile) << way.name;
    }

    // The chooser opens where the last chosen picture was; cancelling it changes nothing.
    dialogs.chooserAnswers = {second, std::nullopt};
    menuItem(1);
    const image::Bytes secondPreview = readFile(previewFile());
    const std::string secondLog = log();
    menuItem(1);
    ASSERT_EQ(dialogs.chooserFolders.size(), 4u);
    EXPECT_EQ(dialogs.chooserFolders[0], platform::picturesFolder());
    EXPECT_FALSE(dialogs.chooserFolders[0].empty()) << "an empty folder opens the current one";
    EXPECT_EQ(dialogs.chooserFolders[2], dir.string());
    EXPECT_EQ(dialogs.chooserFolders[3], (dir / "sub").string());
    EXPECT_EQ(readFile(previewFile()), secondPreview);
    EXPECT_EQ(log(), secondLog);
    for (const char* pattern :
         {"*.jpg", "*.heic", "*.avif", "*.webp", "*.gif", "*.svg", "*.PCX", "All files (*)"})
        EXPECT_NE(dialogs.chooserFilters.find(pattern), std::string::npos) << pattern;
}

TEST_F(OtherWaysIn, TheChooserOpensInTheFolderLastUsedInAnEarlierRun) {
    MemorySettings kept;
    console().setSettings(kept);
    std::filesystem::create_directories(dir / "sub");
    dialogs.chooserAnswers = {picture("sub/one.bmp", solid(20, 20, 0, 0, 0))};
    shortcut("Ctrl+O");

    struct Case {
        const char* name;
        std::function<void()> before;
        std::string expected;
    };
    const Case cases[] = {
        {"kept folder", [] {}, (dir / "sub").string()},
        {"kept folder gone", [&] { std::filesystem::remove_all(dir / "sub"); }, platform::picturesFolder()},
    };
    for (const Case& c : cases) {
        c.before();
        tessary::testing::ScriptedClock clock;
        qt::QtWindowHost host;
        HandlerRegistry handlers;
        Console next(clock, dialogs, host, handlers);
        next.setSettings(kept);
        dialogs.chooserFolders.clear();
        onOpenPicture(next, {});
        ASSERT_EQ(dialogs.chooserFolders.size(), 1u) << c.name;
        EXPECT_EQ(dialogs.chooserFolders[0], c.expected) << c.name;
    }
}

}  // namespace
}  // namespace tessary::intake::testing

namespace tessary::intake::testing {
namespace {

TEST_F(OtherWaysIn, PrepareTakesTextAsTheIntakeDoes) {
    const auto out = dir / "text.bmp";
    struct Same {
        std::vector<std::string> options;
        render::TextStyle style;
    };
    const auto style = [](int size, bool fill, bool italic, render::TextAlignment alignment) {
        render::TextStyle s;
        s.size = size;
        s.fillWidth = fill;
        s.italic = italic;
        s.alignment = alignment;
        return s;
    };
    const Same same[] = {
        {{"--italic", "--align", "left"}, style(36, false, true, render::TextAlignment::Left)},
        {{"--size", "80"}, style(80, false, false, render::TextAlignment::Centre)},
        {{"--fill", "--align", "right"}, style(36, true, false, render::TextAlignment::Right)},
    };
    for (const Same& k : same) {
        ImageState state;
        Headless quiet((dir / "expected.bmp").string(), true);
        ASSERT_EQ(takeInText(state, quiet, {"Tessary\n2026", k.style}), IntakeResult::Prepared);
        std::vector<std::string> options = k.options;
        options.push_back("--text");
        const ToolRun run = prepare(dir, "Tessary\\n2026", out.string(), options);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(readFile(out), readFile(dir / "expected.bmp")) << k.options.front();
        EXPECT_EQ(run.out.rfind("Original image information:\nImage resolution:", 0), 0u) << run.out;
    }

    struct Failing {
        std::vector<std::string> options;
        std::string in;
        int status;
        std::string message;
    };
    const Failing failing[] = {
        {{"--text"}, " \\n ", 1, std::string(kNoText)},
        {{"--text"}, std::string(600, 'x'), 1, "too large for the engraving field at size 36"},
        {{"--bold"}, "picture.gif", 2, "go with --text"},
        {{"--size", "0", "--text"}, "x", 2, "--size takes a whole number from 1 to 490"},
        {{"--size", "40", "--fill", "--text"}, "x", 2, "exclude each other"},
        {{"--align", "justified", "--text"}, "x", 2, "unknown alignment 'justified'"},
    };
    std::filesystem::remove(out);
    for (const Failing& f : failing) {
        const ToolRun r = prepare(dir, f.in, out.string(), f.options);
        EXPECT_EQ(r.status, f.status) << f.message;
        EXPECT_NE(r.err.find(f.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << f.message;
    }
}

}  // namespace
}  // namespace tessary::intake::testing
