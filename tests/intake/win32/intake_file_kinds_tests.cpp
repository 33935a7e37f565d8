// SPDX-License-Identifier: GPL-3.0-or-later
// What a Windows machine can hand the picture paths besides regular files: named pipes, devices by name (NUL,
// CON, COM1), folders, shortcuts, empty files; paths past 260 characters and names in other scripts; and a
// hard link where the preview file goes.
#include <windows.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "../intake_fixture.h"
#include "app/definitions/unit_names.h"
#include "image/decode/decode.h"
#include "image/picture.h"
#include "platform/paths.h"
#include "platform/win32/wide.h"
#include "support/win32/shortcut_file.h"

namespace tessary::intake::testing {
namespace {

using FileKindsTest = MainWindow;
namespace fs = std::filesystem;
using platform::win32::UniqueHandle;

// A path that blocks or never ends must fail the test, not hang it.
class Watchdog {
  public:
    Watchdog()
        : thread_([this] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::seconds(30), [this] { return finished_; })) {
                  std::fputs("watchdog: a path blocked for 30 s\n", stderr);
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            const std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_one();
        thread_.join();
    }

  private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

// A pipe server that never writes: a reader that connected would wait for ever.
class SilentPipe {
  public:
    SilentPipe()
        : name_("\\\\.\\pipe\\tessary-intake-" + std::to_string(GetCurrentProcessId())),
          server_(CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 8, 512, 512,
                                   0, nullptr)) {}
    const std::string& name() const { return name_; }

  private:
    std::string name_;
    UniqueHandle server_;
};

std::string text(const fs::path& p) { return platform::textFromPath(p); }

// Folders made through the file APIs' long form, which a path past 260 characters needs.
void makeFolders(const fs::path& path) {
    fs::path done;
    for (const fs::path& part : path) {
        done /= part;
        CreateDirectoryW(platform::win32::filePath(text(done)).c_str(), nullptr);
    }
}

// The C++ streams stop at 260 characters; the console's own reading does not.
image::Bytes readThroughPlatform(const std::string& path) {
    const platform::UniqueFd fd = platform::openRegularFile(path);
    image::Bytes bytes;
    unsigned char buffer[4096];
    for (int n; fd && (n = ::read(fd.get(), buffer, sizeof buffer)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    return bytes;
}

TEST_F(FileKindsTest, EveryReadingPathRefusesWhatIsNotARegularFileWithoutBlocking) {
    const Watchdog watchdog;
    const SilentPipe pipe;
    const std::string folder = text(dir / "folder.png");
    fs::create_directory(folder);
    fs::create_directory(dir / "elsewhere");
    const std::string toFolder = text(dir / "folder.lnk");
    ASSERT_TRUE(tessary::testing::makeShortcut(platform::win32::wideFromText(toFolder),
                                               (dir / "elsewhere").wstring()));
    const std::string empty = text(dir / "empty.jpg");
    writeBytes(empty, {});
    const std::string kinds[] = {pipe.name(),           "NUL",  "CON",    "COM1", "\\\\.\\COM1",
                                 text(dir / "nul.jpg"), folder, toFolder, empty};
    const std::string out = text(dir / "out.bmp");

    const std::string good = picture("good.bmp", solid(40, 30, 0, 0, 0));
    drop(good);
    const image::Bytes preview = readFile(previewFile());
    const std::string logBefore = log();
    for (const std::string& kind : kinds) {
        SCOPED_TRACE(kind);
        dialogs.shown.clear();
        drop(kind);
        click(main_window::kReload);
        EXPECT_TRUE(refusalBoxes(dialogs.shown, 2));
        EXPECT_EQ(readFile(previewFile()), preview);

        image::Raster whole;
        EXPECT_NE(image::decodePicture(kind, whole, nullptr), image::kConvertOk);
        EXPECT_NE(image::ConvertPictureFile(kind, out), image::kConvertOk);
        EXPECT_FALSE(image::LoadPicture(kind));

        const ToolRun run = prepare(dir, kind, out);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.starts_with("Wrong file type: ")) << run.err;
        EXPECT_FALSE(fs::exists(out));
    }
    EXPECT_EQ(withoutRefusals(log()), logBefore);

    // The same kinds where something is written: the converter's destination and tessary-prepare's OUT; a
    // folder where the preview file goes.
    for (const std::string& place : {pipe.name(), std::string("NUL"), text(dir / "aux.bmp"), folder}) {
        SCOPED_TRACE(place);
        EXPECT_EQ(image::ConvertPictureFile(good, place), image::kConvertWriteFailed);
        EXPECT_EQ(prepare(dir, good, place).status, 1);
    }
    fs::remove(previewFile());
    fs::create_directory(previewFile());
    dialogs.shown.clear();
    drop(good);
    EXPECT_TRUE(refusalBoxes(dialogs.shown, 1));
    EXPECT_TRUE(fs::is_directory(previewFile()));
}

TEST_F(FileKindsTest, PreviewFileIsNeverWrittenThroughALinkAndCloseDeletesOnlyWhatTheConsoleWrote) {
    const auto notes = dir / "notes.txt";
    writeBytes(notes, image::Bytes{'k', 'e', 'e', 'p'});
    fs::create_hard_link(notes, previewFile());
    const std::string good = picture("good.bmp", solid(40, 30, 0, 0, 0));
    drop(good);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(fs::hard_link_count(previewFile()), 1u);
    EXPECT_EQ(fs::file_size(previewFile()), 32830u);
    EXPECT_EQ(readFile(notes), (image::Bytes{'k', 'e', 'e', 'p'}));

    // tessary-prepare replaces a link at OUT the same way.
    const auto out = dir / "out.bmp";
    fs::create_hard_link(notes, out);
    EXPECT_EQ(prepare(dir, good, text(out)).status, 0);
    EXPECT_EQ(fs::hard_link_count(out), 1u);
    EXPECT_EQ(readFile(out), readFile(previewFile()));
    EXPECT_EQ(readFile(notes), (image::Bytes{'k', 'e', 'e', 'p'}));

    // A file someone else put in the preview file's place after the console wrote it stays at close.
    fs::remove(previewFile());
    writeBytes(previewFile(), image::Bytes{'m', 'i', 'n', 'e'});
    closeMainWindow();
    EXPECT_EQ(readFile(previewFile()), (image::Bytes{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(readFile(notes), (image::Bytes{'k', 'e', 'e', 'p'}));
}

TEST_F(FileKindsTest, AShortcutToAPictureTakesInThePicture) {
    const std::string photo = picture("photo.bmp", solid(60, 40, 30, 30, 30));
    drop(photo);
    const image::Bytes preview = readFile(previewFile());
    const std::string shortcut = text(dir / "photo.lnk");
    ASSERT_TRUE(tessary::testing::makeShortcut(platform::win32::wideFromText(shortcut),
                                               platform::win32::wideFromText(photo)));
    drop(picture("other.bmp", solid(20, 50, 200, 200, 200)));
    ASSERT_NE(readFile(previewFile()), preview);
    dialogs.shown.clear();
    drop(shortcut);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(readFile(previewFile()), preview);
    const ToolRun run = prepare(dir, shortcut, text(dir / "out.bmp"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(dir / "out.bmp"), preview);
}

TEST_F(FileKindsTest, NonLatinNamesAndPathsPast260CharactersComeInEveryWay) {
    fs::path deep = dir;
    while (deep.native().size() < 280) deep /= L"\u0444\u043e\u0442\u043e-\u7167\u7247-folder";
    makeFolders(deep);
    const image::Bytes bmp = image::bmp24(solid(50, 30, 90, 90, 90), false);
    for (const fs::path& folder : {dir, deep}) {
        for (const fs::path name : {L"\u0444\u043e\u0442\u043e.jpg", L"\u7167\u7247 1.png"}) {
            const std::string path = text(folder / name);
            SCOPED_TRACE(path);
            ASSERT_TRUE(image::writeFile(path, {std::span<const std::uint8_t>(bmp)}));
            dialogs.shown.clear();
            fs::remove(previewFile());
            drop(path);
            EXPECT_TRUE(dialogs.shown.empty());
            const image::Bytes dropped = readFile(previewFile());
            EXPECT_EQ(dropped.size(), 32830u);

            fs::remove(previewFile());
            dialogs.chooserAnswers = {path};
            const auto& shortcuts = mainWindowDefinition().shortcuts;
            for (std::size_t i = 0; i < shortcuts.size(); ++i)
                if (shortcuts[i].keys == "Ctrl+O")
                    console().dispatch(mainWindowDefinition(), "", event::kShortcut + static_cast<int>(i),
                                       {});
            EXPECT_EQ(readFile(previewFile()), dropped);
            EXPECT_EQ(state().droppedFileName, path);

            const std::string out = text(folder / (name.stem().wstring() + L" out.bmp"));
            const ToolRun run = prepare(dir, path, out);
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(readThroughPlatform(out), dropped);
            EXPECT_TRUE(platform::deleteFile(out));
        }
    }
}

}  // namespace
}  // namespace tessary::intake::testing
