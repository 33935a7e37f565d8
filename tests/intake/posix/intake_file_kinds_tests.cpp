// SPDX-License-Identifier: GPL-3.0-or-later
// What a user's machine can hand the picture paths besides regular files: FIFOs nobody writes to,
// directories, devices, sockets, and a symbolic link where the preview file goes.
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "../intake_fixture.h"
#include "app/definitions/unit_names.h"
#include "image/decode/decode.h"
#include "image/picture.h"

namespace tessary::intake::testing {
namespace {

using FileKindsTest = MainWindow;

// A path that blocks or never ends must fail the test, not hang it.
class Watchdog {
  public:
    Watchdog() { ::alarm(30); }
    ~Watchdog() { ::alarm(0); }
};

bool makeSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (fd < 0 || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);  // the socket file stays
    return bound;
}

TEST_F(FileKindsTest, EveryReadingPathRefusesWhatIsNotARegularFileWithoutBlocking) {
    const Watchdog watchdog;
    const std::string fifo = (dir / "fifo.jpg").string(), folder = (dir / "folder.png").string(),
                      socket = (dir / "s.bmp").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(folder);
    ASSERT_TRUE(makeSocket(socket));
    const std::string kinds[] = {fifo, folder, "/dev/zero", socket};
    const std::string out = (dir / "out.bmp").string();

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
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    EXPECT_EQ(withoutRefusals(log()), logBefore);

    // The same kinds where something is written: the converter's destination, tessary-prepare's OUT and the
    // preview file. (The device is left out: nothing here may ever write to one.)
    const std::function<bool(const std::string&)> makers[] = {
        [](const std::string& p) { return ::mkfifo(p.c_str(), 0600) == 0; },
        [](const std::string& p) { return std::filesystem::create_directory(p); },
        makeSocket,
    };
    for (const auto& make : makers) {
        const std::string place = (dir / "place.bmp").string();
        ASSERT_TRUE(make(place));
        SCOPED_TRACE(static_cast<int>(std::filesystem::status(place).type()));
        EXPECT_EQ(image::ConvertPictureFile(good, place), image::kConvertWriteFailed);
        EXPECT_EQ(prepare(dir, good, place).status, 1);
        std::filesystem::remove(previewFile());
        ASSERT_TRUE(make(previewFile().string()));
        dialogs.shown.clear();
        drop(good);
        EXPECT_TRUE(refusalBoxes(dialogs.shown, 1));
        EXPECT_NE(std::filesystem::status(previewFile()).type(), std::filesystem::file_type::regular);
        std::filesystem::remove(previewFile());
        std::filesystem::remove(place);
    }
}

// Files of the process may grow to `bytes` only while it lives: a disk that fills up during the intake.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    sighandler_t oldHandler_ = SIG_DFL;
};

TEST_F(FileKindsTest, APreviewFileTheDiskCannotHoldRefusesThePictureAndKeepsTheLastOne) {
    drop(picture("first.bmp", solid(40, 30, 0, 0, 0)));
    const image::Bytes preview = readFile(previewFile());
    const image::Bytes engraving = state().engraving.ToByteSet();
    const std::string logBefore = log();
    dialogs.shown.clear();
    const std::string second = picture("second.bmp", solid(30, 40, 255, 0, 0));
    {
        const FileSizeLimit full(4096);  // room for the check that a file can be made, not for the preview
        drop(second);
    }
    EXPECT_TRUE(refusalBoxes(dialogs.shown, 1));
    EXPECT_EQ(withoutRefusals(log()), logBefore);
    EXPECT_EQ(readFile(previewFile()), preview);
    EXPECT_EQ(state().engraving.ToByteSet(), engraving);
    EXPECT_EQ(state().droppedFileName, second);
}

TEST_F(FileKindsTest, PreviewFileIsNeverWrittenThroughALinkAndCloseDeletesOnlyWhatTheConsoleWrote) {
    const Watchdog watchdog;
    const auto notes = dir / "notes.txt";
    writeBytes(notes, image::Bytes{'k', 'e', 'e', 'p'});
    std::filesystem::create_symlink(notes, previewFile());
    const std::string good = picture("good.bmp", solid(40, 30, 0, 0, 0));
    drop(good);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(std::filesystem::is_symlink(previewFile()));
    EXPECT_EQ(std::filesystem::file_size(previewFile()), 32830u);
    EXPECT_EQ(readFile(notes), (image::Bytes{'k', 'e', 'e', 'p'}));

    // tessary-prepare replaces a link at OUT the same way.
    const auto out = dir / "out.bmp";
    std::filesystem::create_symlink(notes, out);
    EXPECT_EQ(prepare(dir, good, out.string()).status, 0);
    EXPECT_FALSE(std::filesystem::is_symlink(out));
    EXPECT_EQ(readFile(out), readFile(previewFile()));
    EXPECT_EQ(readFile(notes), (image::Bytes{'k', 'e', 'e', 'p'}));

    // A file someone else put in the preview file's place after the console wrote it stays at close.
    std::filesystem::remove(previewFile());
    writeBytes(previewFile(), image::Bytes{'m', 'i', 'n', 'e'});
    closeMainWindow();
    EXPECT_EQ(readFile(previewFile()), (image::Bytes{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(readFile(notes), (image::Bytes{'k', 'e', 'e', 'p'}));
}

}  // namespace
}  // namespace tessary::intake::testing
