// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "image/files.h"
#include "platform/posix/user_folders.h"

namespace tessary::image {
namespace {

namespace fs = std::filesystem;
using platform::chooseRunDirectory;

class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string pattern = ::testing::TempDir() + "tessary-files-" + info->name() + "-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static Bytes contents(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void put(const std::string& p, const Bytes& bytes) {
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    fs::path dir_;
};

TEST_F(FilesTest, WriteFileCreatesOrTruncatesAndWritesEveryByteSetInOrder) {
    struct Case {
        const char* what;
        std::vector<Bytes> byteSets;
        Bytes expected;
    };
    const Case cases[] = {
        {"no byte sets", {}, {}},
        {"one empty byte set", {Bytes{}}, {}},
        {"one byte set", {Bytes{1, 2, 3}}, {1, 2, 3}},
        {"empty ones skipped, order kept", {Bytes{1}, Bytes{}, Bytes{2, 3}, Bytes{}}, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        const std::string fresh = path(std::string("fresh-") + c.what);
        ASSERT_TRUE(writeFile(fresh, c.byteSets)) << c.what;
        EXPECT_EQ(contents(fresh), c.expected) << c.what;

        const std::string existing = path(std::string("existing-") + c.what);
        put(existing, Bytes(100, 0xEE));
        ASSERT_TRUE(writeFile(existing, c.byteSets)) << c.what;
        EXPECT_EQ(contents(existing), c.expected) << c.what;
    }
    const Bytes header{'B', 'M'};
    const Bytes body(5, 7);
    ASSERT_TRUE(writeFile(path("list"), {header, body}));
    EXPECT_EQ(contents(path("list")).size(), 7u);
    ASSERT_TRUE(writeFile(path("nothing"), {}));
    EXPECT_TRUE(fs::exists(path("nothing")));
    EXPECT_EQ(fs::file_size(path("nothing")), 0u);
}

TEST_F(FilesTest, WriteFileFailsWithoutTouchingAFileAnotherWriterHolds) {
    const std::string p = path("held.bmp");
    put(p, Bytes{9, 9, 9});
    const int fd = ::open(p.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(writeFile(p, {Bytes{1}}));
    EXPECT_EQ(contents(p), (Bytes{9, 9, 9}));
    ::close(fd);
    EXPECT_TRUE(writeFile(p, {Bytes{1}}));
    EXPECT_EQ(contents(p), (Bytes{1}));
}

TEST_F(FilesTest, WriteFileFailsWhereNoFileCanBeWritten) {
    ::mkfifo(path("fifo").c_str(), 0600);
    const std::string places[] = {"", path("missing-dir/file.bmp"), dir_.string(), path("fifo")};
    for (const std::string& p : places) EXPECT_FALSE(writeFile(p, {Bytes{1}})) << "'" << p << "'";
}

TEST_F(FilesTest, DeleteFileRemovesOnlyWhatExists) {
    put(path("a.bmp"), Bytes{1});
    EXPECT_TRUE(deleteFile(path("a.bmp")));
    EXPECT_FALSE(fs::exists(path("a.bmp")));
    EXPECT_FALSE(deleteFile(path("a.bmp")));
    EXPECT_FALSE(deleteFile(""));
}

TEST_F(FilesTest, RunDirectoryIsTheProgramDirectoryWhileItIsWritable) {
    EXPECT_EQ(chooseRunDirectory(dir_.string(), "/nonexistent", "/nonexistent"), dir_.string());
    EXPECT_EQ(chooseRunDirectory(dir_.string() + "/", nullptr, nullptr), dir_.string());
    // The test program's own directory (the build tree) is writable.
    const std::string run = runDirectory();
    EXPECT_EQ(fs::canonical("/proc/self/exe").parent_path().string(), run);
    EXPECT_NE(run.back(), '/');
    EXPECT_EQ(previewFilePath("/some/dir"), "/some/dir/Engraving Preview.bmp");
}

TEST_F(FilesTest, RunDirectoryFallsBackToAPrivateUserDirectory) {
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

}  // namespace
}  // namespace tessary::image
