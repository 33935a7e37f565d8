// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>

#include "files_fixture.h"
#include "platform/paths.h"
#include "platform/user_folders.h"

namespace tessary::image {
namespace {

namespace fs = std::filesystem;

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
    // Nothing is left beside the files but the files.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 10);
}

TEST_F(FilesTest, WriteFileFailsWithoutTouchingAFileAnotherWriterHolds) {
    const std::string p = path("held.bmp");
    put(p, Bytes{9, 9, 9});
    {
        platform::FileReplacement other(p);
        ASSERT_TRUE(other.ready());
        EXPECT_FALSE(writeFile(p, {Bytes{1}}));
        EXPECT_FALSE(platform::canReplace(p));
        EXPECT_EQ(contents(p), (Bytes{9, 9, 9}));
    }
    EXPECT_TRUE(writeFile(p, {Bytes{1}}));
    EXPECT_EQ(contents(p), (Bytes{1}));
}

TEST_F(FilesTest, DeleteFileRemovesOnlyWhatExists) {
    put(path("a.bmp"), Bytes{1});
    EXPECT_TRUE(platform::deleteFile(path("a.bmp")));
    EXPECT_FALSE(fs::exists(path("a.bmp")));
    EXPECT_FALSE(platform::deleteFile(path("a.bmp")));
    EXPECT_FALSE(platform::deleteFile(""));
}

TEST_F(FilesTest, DeleteIfSameRemovesOnlyTheFileThatWasWritten) {
    platform::FileIdentity written;
    ASSERT_TRUE(writeFile(path("p.bmp"), {Bytes{1, 2}}, &written));
    EXPECT_TRUE(platform::isSameFile(path("p.bmp"), written));
    ASSERT_TRUE(platform::deleteFile(path("p.bmp")));
    put(path("p.bmp"), Bytes{1, 2});  // another file, with the same size and name
    EXPECT_FALSE(platform::isSameFile(path("p.bmp"), written));
    EXPECT_FALSE(platform::deleteFileIfSame(path("p.bmp"), written));
    EXPECT_TRUE(fs::exists(path("p.bmp")));
    ASSERT_TRUE(writeFile(path("p.bmp"), {Bytes{3}}, &written));
    EXPECT_TRUE(platform::deleteFileIfSame(path("p.bmp"), written));
    EXPECT_FALSE(fs::exists(path("p.bmp")));
}

TEST_F(FilesTest, RunDirectoryIsTheProgramDirectoryWhileItIsWritable) {
    // The test program's own directory (the build tree) is writable.
    const std::string run = platform::runDirectory();
    const fs::path dir = platform::pathFromText(run);
    EXPECT_TRUE(fs::exists(dir / "image_tests") || fs::exists(dir / "image_tests.exe")) << run;
    EXPECT_NE(run.back(), '/');
    EXPECT_NE(run.back(), '\\');
    EXPECT_EQ(previewFilePath("some/dir"), (fs::path("some/dir") / "Engraving Preview.bmp").string());
}

}  // namespace
}  // namespace tessary::image
