// SPDX-License-Identifier: GPL-3.0-or-later
// The file services where POSIX systems differ: FIFOs, and the run directory's private fallbacks.
#include <sys/stat.h>
#include <unistd.h>

#include "../files_fixture.h"
#include "platform/paths.h"
#include "platform/posix/user_folders.h"

namespace tessary::image {
namespace {

namespace fs = std::filesystem;
using platform::chooseRunDirectory;

TEST_F(FilesTest, WriteFileFailsWhereNoFileCanBeWritten) {
    ::mkfifo(path("fifo").c_str(), 0600);
    const std::string places[] = {"", path("missing-dir/file.bmp"), dir_.string(), path("fifo"), path("x/")};
    for (const std::string& p : places) EXPECT_FALSE(writeFile(p, {Bytes{1}})) << "'" << p << "'";
}

TEST_F(FilesTest, AFileUrlsPathIsTheSystemsOwn) {
    // "/C:/x" is a path like any other here: a folder named "C:" at the root.
    for (const char* path : {"/C:/Users/a b/x.jpg", "/tmp/caf\xC3\xA9.png", "/tmp/latin\xE9.png"})
        EXPECT_EQ(platform::localPathOfFileUrl(path), path);
}

TEST_F(FilesTest, RunDirectoryFallsBackToAPrivateUserDirectory) {
    EXPECT_EQ(chooseRunDirectory(dir_.string(), "/nonexistent", "/nonexistent"), dir_.string());
    EXPECT_EQ(chooseRunDirectory(dir_.string() + "/", nullptr, nullptr), dir_.string());
    const std::string unwritable = path("not-there");  // stands for a directory under /usr
    const std::string runtime = path("run");
    const std::string home = path("home");
    fs::create_directories(runtime);
    fs::create_directories(home);
    struct Case {
        const char* what;
        const char* xdg;
        const char* home;
        std::string expected;
    };
    const Case cases[] = {
        {"runtime directory", runtime.c_str(), home.c_str(), runtime + "/tessary"},
        {"no runtime directory", nullptr, home.c_str(), home + "/.cache/tessary"},
        {"relative runtime directory ignored", "run", home.c_str(), home + "/.cache/tessary"},
        {"unusable runtime directory", "/nonexistent", home.c_str(), home + "/.cache/tessary"},
    };
    for (const Case& c : cases) {
        const std::string got = chooseRunDirectory(unwritable, c.xdg, c.home);
        EXPECT_EQ(got, c.expected) << c.what;
        struct stat st {};
        ASSERT_EQ(::lstat(got.c_str(), &st), 0) << c.what;
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0700u) << c.what;
        EXPECT_TRUE(writeFile(previewFilePath(got), {Bytes{1}})) << c.what;
    }
    // A link planted where the private directory should be is not followed.
    fs::create_directories(path("elsewhere"));
    const std::string home2 = path("home2");
    fs::create_directories(home2 + "/.cache");
    fs::create_directory_symlink(path("elsewhere"), home2 + "/.cache/tessary");
    EXPECT_EQ(chooseRunDirectory(unwritable, nullptr, home2.c_str()), unwritable);

    // Without a usable runtime directory or home, a directory of the user's own in the temporary folder; one
    // that someone else planted there (a link here) is not taken.
    const std::string tmp = path("tmp");
    fs::create_directories(tmp);
    const std::string own = tmp + "/tessary-" + std::to_string(::geteuid());
    EXPECT_EQ(chooseRunDirectory(unwritable, "/nonexistent", "/nonexistent", tmp.c_str()), own);
    EXPECT_TRUE(writeFile(previewFilePath(own), {Bytes{1}}));
    fs::remove_all(own);
    fs::create_directory_symlink(path("elsewhere"), own);
    EXPECT_EQ(chooseRunDirectory(unwritable, "/nonexistent", "/nonexistent", tmp.c_str()), unwritable);
}

TEST_F(FilesTest, AnInstalledProgramNeverWritesBesideItselfEvenAsRoot) {
    const std::string runtime = path("run");
    fs::create_directories(runtime);
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/opt/tessary/bin"}) {
        EXPECT_EQ(chooseRunDirectory(dir, runtime.c_str(), nullptr), runtime + "/tessary") << dir;
    }
    EXPECT_EQ(chooseRunDirectory(dir_.string(), runtime.c_str(), nullptr), dir_.string());
}

TEST(PicturesFolder, ReadFromUserDirsAsXdgUserDirsWritesIt) {
    struct Case {
        const char* userDirs;
        const char* expected;
    };
    const Case cases[] = {
        {"# written by "
         "xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n",
         "/home/u/Bilder"},
        {"XDG_PICTURES_DIR=\"/srv/photos/\"", "/srv/photos"},
        {"  XDG_PICTURES_DIR=\"$HOME/A\"\nXDG_PICTURES_DIR=\"$HOME/B\"\n", "/home/u/B"},
        {"XDG_PICTURES_DIR=\"$HOME/\"\n", ""},           // turned off: the home folder itself
        {"#XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", ""},  // a comment
        {"XDG_PICTURES_DIR=\"Pictures\"\n", ""},         // neither $HOME nor absolute
        {"XDG_PICTURES_DIR=\"$HOMEWORK\"\n", ""},
        {"XDG_PICTURES_DIR=\"$HOME/Pictures\n", ""},  // no closing quote
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::picturesFolderFrom(c.userDirs, "/home/u"), c.expected) << c.userDirs;
}

}  // namespace
}  // namespace tessary::image
