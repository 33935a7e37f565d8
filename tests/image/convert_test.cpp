// SPDX-License-Identifier: GPL-3.0-or-later
// ConvertPictureFile's results for paths that are missing, unreadable or unwritable.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "decode_test_support.h"

namespace tessary::image::testing {
namespace {

TEST(ConvertPictureFile, ResultCodes) {
    ScratchDir dir;
    const std::string picture = dir.file("picture.bmp");
    Bytes bmp = bmp24Header(1, 1);
    bmp.insert(bmp.end(), {10, 20, 30, 0});
    writeBytes(picture, bmp);
    std::filesystem::create_directory(dir.file("folder"));

    struct Case {
        const char* name;
        std::string source, destination;
        int result;
        bool destinationExists;
    };
    const Case cases[] = {
        {"converted", picture, dir.file("out.bmp"), kConvertOk, true},
        {"no source path", "", dir.file("out.bmp"), kConvertMissingPath, false},
        {"no destination path", picture, "", kConvertMissingPath, false},
        {"no such source", dir.file("absent.png"), dir.file("out.bmp"), kConvertRefused, false},
        {"source is a folder", dir.file("folder"), dir.file("out.bmp"), kConvertRefused, false},
        {"destination folder missing", picture, dir.file("absent/out.bmp"), kConvertWriteFailed, false},
        {"destination is a folder", picture, dir.file("folder"), kConvertWriteFailed, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.file("out.bmp"));
        EXPECT_EQ(ConvertPictureFile(c.source, c.destination), c.result);
        if (!c.destination.empty()) {
            EXPECT_EQ(std::filesystem::exists(c.destination), c.destinationExists);
        }
    }
}

TEST(ConvertPictureFile, OverwritesAnExistingDestination) {
    ScratchDir dir;
    Bytes bmp = bmp24Header(1, 1);
    bmp.insert(bmp.end(), {10, 20, 30, 0});
    writeBytes(dir.file("in.bmp"), bmp);
    writeBytes(dir.file("out.bmp"), Bytes(100000, 7));
    ASSERT_EQ(ConvertPictureFile(dir.file("in.bmp"), dir.file("out.bmp")), kConvertOk);
    std::string why;
    const Raster out = readConvertedBmp(readBytes(dir.file("out.bmp")), why);
    ASSERT_FALSE(out.empty()) << why;
    EXPECT_EQ(out.rgb, (std::vector<std::uint8_t>{30, 20, 10}));
}

}  // namespace
}  // namespace tessary::image::testing
