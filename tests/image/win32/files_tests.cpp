// SPDX-License-Identifier: GPL-3.0-or-later
// The file services where Windows differs: devices and pipes by name, shortcuts, long and non-Latin paths,
// and the run directory's fallback to the local application data.
#include <windows.h>

#include "../files_fixture.h"
#include "platform/paths.h"
#include "platform/user_folders.h"
#include "platform/win32/user_folders.h"
#include "platform/win32/wide.h"
#include "support/win32/shortcut_file.h"

namespace tessary::image {
namespace {

namespace fs = std::filesystem;
using platform::win32::UniqueHandle;

// A pipe server that never writes: a reader that connected would wait for ever.
class SilentPipe {
  public:
    SilentPipe()
        : name_("\\\\.\\pipe\\tessary-test-" + std::to_string(GetCurrentProcessId())),
          server_(CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 4, 512, 512,
                                   0, nullptr)) {}
    const std::string& name() const { return name_; }
    explicit operator bool() const { return static_cast<bool>(server_); }

  private:
    std::string name_;
    UniqueHandle server_;
};

std::string text(const fs::path& p) { return platform::textFromPath(p); }

TEST_F(FilesTest, WriteFileFailsWhereNoFileCanBeWritten) {
    const SilentPipe pipe;
    ASSERT_TRUE(pipe);
    const std::string places[] = {"",
                                  path("missing-dir/file.bmp"),
                                  dir_.string(),
                                  path("x\\"),
                                  "NUL",
                                  "CON",
                                  "COM1",
                                  path("nul.bmp"),
                                  pipe.name(),
                                  "\\\\.\\COM1"};
    for (const std::string& p : places) {
        EXPECT_FALSE(platform::canReplace(p)) << "'" << p << "'";
        EXPECT_FALSE(writeFile(p, {Bytes{1}})) << "'" << p << "'";
    }
}

TEST_F(FilesTest, OpenRegularFileRefusesDevicesPipesAndFoldersAtOnce) {
    const SilentPipe pipe;
    ASSERT_TRUE(pipe);
    put(path("empty.jpg"), {});
    EXPECT_TRUE(platform::openRegularFile(path("empty.jpg")));  // a file, though no picture
    const std::string refused[] = {"NUL",
                                   "CON",
                                   "COM1",
                                   "\\\\.\\COM1",
                                   "conin$",
                                   "lpt1.jpg",
                                   path("NUL.png"),
                                   dir_.string(),
                                   pipe.name(),
                                   "\\\\?\\GLOBALROOT",
                                   path("no such file.jpg")};
    for (const std::string& p : refused) EXPECT_FALSE(platform::openRegularFile(p)) << "'" << p << "'";
}

TEST_F(FilesTest, AShortcutToAFileOpensThatFileAndNothingElse) {
    put(path("photo.jpg"), Bytes{'j', 'p', 'g'});
    fs::create_directory(dir_ / "folder");
    put(path("not a shortcut.lnk"), Bytes(80, 'x'));
    const fs::path toFile = dir_ / "photo.lnk", toFolder = dir_ / "folder.lnk",
                   toShortcut = dir_ / "again.lnk";
    ASSERT_TRUE(testing::makeShortcut(toFile.wstring(), (dir_ / "photo.jpg").wstring()));
    ASSERT_TRUE(testing::makeShortcut(toFolder.wstring(), (dir_ / "folder").wstring()));
    ASSERT_TRUE(testing::makeShortcut(toShortcut.wstring(), toFile.wstring()));
    platform::UniqueFd fd = platform::openRegularFile(text(toFile));
    ASSERT_TRUE(fd);
    char bytes[4] = {};
    EXPECT_EQ(::read(fd.get(), bytes, sizeof bytes), 3);
    EXPECT_EQ(std::string(bytes), "jpg");
    EXPECT_FALSE(platform::openRegularFile(text(toFolder)));
    EXPECT_FALSE(platform::openRegularFile(text(toShortcut)));
    EXPECT_TRUE(platform::openRegularFile(path("not a shortcut.lnk")));  // read as what it is
}

TEST_F(FilesTest, LongAndNonLatinPathsAreWrittenReadAndDeleted) {
    fs::path deep = dir_;
    while (deep.native().size() < 300) deep /= L"\u0444\u043e\u0442\u043e-\u7167\u7247-folder";
    fs::create_directories(deep);
    for (const fs::path name : {L"\u0444\u043e\u0442\u043e.jpg", L"\u7167\u7247 1.png"}) {
        for (const fs::path& folder : {dir_, deep}) {
            const std::string p = text(folder / name);
            SCOPED_TRACE(p);
            platform::FileIdentity written;
            ASSERT_TRUE(writeFile(p, {Bytes{7, 8}}, &written));
            EXPECT_TRUE(fs::exists(folder / name));
            platform::UniqueFd fd = platform::openRegularFile(p);
            ASSERT_TRUE(fd);
            unsigned char bytes[3] = {};
            EXPECT_EQ(::read(fd.get(), bytes, sizeof bytes), 2);
            EXPECT_EQ(bytes[1], 8);
            fd.reset();
            EXPECT_TRUE(platform::deleteFileIfSame(p, written));
            EXPECT_FALSE(fs::exists(folder / name));
        }
    }
}

TEST_F(FilesTest, AFileUrlsPathIsTheSystemsOwn) {
    // Qt hands a file: URL's path over as "/C:/..." on Windows too.
    const std::pair<std::string, std::string> cases[] = {
        {"/C:/Users/a b/\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.jpg",
         "C:/Users/a b/\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.jpg"},
        {"/z:/tmp/x.png", "z:/tmp/x.png"},
        {"/tmp/x.png", "/tmp/x.png"},
        {"/C", "/C"},
    };
    for (const auto& [url, path] : cases) EXPECT_EQ(platform::localPathOfFileUrl(url), path) << url;
}

TEST_F(FilesTest, RunDirectoryFallsBackToLocalAppData) {
    const std::string unwritable = path("not-there");  // stands for a folder under Program Files
    fs::create_directories(dir_ / "local");
    fs::create_directories(dir_ / "taken");
    put(path("taken\\Tessary"), Bytes{1});  // a file where the folder should be
    struct Case {
        const char* what;
        std::string program, localAppData, expected;
    };
    const Case cases[] = {
        {"a portable folder", dir_.string(), path("local"), dir_.string()},
        {"installed", unwritable, path("local"), path("local") + "\\Tessary"},
        {"installed, local folder with a separator", unwritable, path("local") + "\\",
         path("local") + "\\Tessary"},
        {"no local folder", unwritable, "", unwritable},
        {"local folder missing", unwritable, path("gone\\deeper"), unwritable},
        {"a file in the way", unwritable, path("taken"), unwritable},
    };
    for (const Case& c : cases) {
        const std::string got = platform::chooseRunDirectory(c.program, c.localAppData);
        EXPECT_EQ(got, c.expected) << c.what;
        if (got != unwritable) {
            EXPECT_TRUE(writeFile(previewFilePath(got), {Bytes{1}})) << c.what;
        }
    }
}

}  // namespace
}  // namespace tessary::image
