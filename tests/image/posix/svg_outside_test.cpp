// SPDX-License-Identifier: GPL-3.0-or-later
// An SVG drawing reads no file but itself, watched with inotify (which has no counterpart on Windows).
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../decode_test_support.h"
#include "intake/fitted_picture.h"

namespace tessary::image::testing {
namespace {

std::string ownData(const std::string& name) { return std::string(TESSARY_REPO_TESTDATA_DIR) + "/" + name; }

TEST(Svg, ReadsNothingOutsideItself) {
    ScratchDir dir;
    const std::string watched = dir.file("outside.png");
    const Bytes png = readBytes(ownData("webp/lossless.webp"));  // any bytes: they must never be opened
    writeBytes(watched, png);
    writeBytes(dir.file("other.svg"), png);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, dir.file("").c_str(), IN_OPEN | IN_ACCESS), 0);

    int result = 0;
    const std::string document =
        R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="20" height="20">)"
        R"(<image x="0" y="0" width="20" height="20" xlink:href=")" +
        watched +
        R"("/>)"
        R"(<image width="20" height="20" href="file://)" +
        watched +
        R"("/>)"
        R"(<image width="20" height="20" href="outside.png"/>)"
        R"(<use xlink:href="other.svg#a"/><image href="http://127.0.0.1:9/x.png" width="5" height="5"/>)"
        R"(<rect id="r" width="4" height="4"/><use href="#r" x="10"/></svg>)";
    writeBytes(dir.file("p.svg"), Bytes(document.begin(), document.end()));
    // Only the document itself may be opened: drain the events of writing it first.
    char events[4096];
    while (read(watch, events, sizeof events) > 0) {
    }
    intake::FittedPicture fitted;
    result = intake::decodeFitted(dir.file("p.svg"), Resample::Halftone, fitted);
    ASSERT_EQ(result, kConvertOk);
    std::vector<std::string> opened;
    for (ssize_t n; (n = read(watch, events, sizeof events)) > 0;) {
        for (char* p = events; p < events + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            if (e->len) opened.emplace_back(e->name);
            p += sizeof(inotify_event) + e->len;
        }
    }
    close(watch);
    for (const std::string& name : opened) EXPECT_EQ(name, "p.svg");
    // The local reference still draws: the rectangle and its copy at x = 10.
    EXPECT_EQ(fitted.pixels.at(1, 1)[0], 0);
    EXPECT_EQ(fitted.pixels.at(11, 1)[0], 0);
    EXPECT_EQ(fitted.pixels.at(6, 1)[0], 255);
}

}  // namespace
}  // namespace tessary::image::testing
