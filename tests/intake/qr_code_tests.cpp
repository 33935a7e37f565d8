// SPDX-License-Identifier: GPL-3.0-or-later
// QR codes drawn dot for dot and refused with what would fit; the mirror of the whole engraving.
#include <gtest/gtest.h>

#include <algorithm>
#include <variant>

#include "image/qr/qr_code.h"
#include "intake/code_engraving.h"
#include "intake_fixture.h"
#include "support/bitmap_pixels.h"

namespace tessary::intake::testing {
namespace {

using tessary::testing::indexAt;

using image::QrLevel;
using image::QrOptions;

QrOptions qr(std::string text, QrLevel level = QrLevel::Medium, int module = 3, int quietZone = 4) {
    return {std::move(text), level, module, quietZone};
}

TEST(QrCodeTest, SizesInModulesDotsAndMillimetresOrTheReasonItDoesNotFit) {
    struct Case {
        QrOptions options;
        int modules;          // 0: refused
        std::string refusal;  // a part of the sentence
    };
    const std::string url = "https://example.org/tessary";
    const Case cases[] = {
        {qr("HELLO"), 21, ""},
        {qr(url, QrLevel::Low), 25, ""},  // 27 bytes: version 2 (32 bytes at L), 4 at H (34)
        {qr(url, QrLevel::High), 33, ""},
        {qr(url, QrLevel::High, 1, 0), 33, ""},
        {qr(std::string(1722, 'a')), 153, ""},  // version 34, the largest whose 3-dot modules fit 490 dots
        {qr(std::string(1723, 'a')), 0, "the 490-dot field holds 1722 of its 1723 characters"},
        // Version 9 at most with 8-dot modules: 98 bytes at H, of which "Grüße " takes 8 for 6 characters.
        {qr("Grüße " + std::string(300, 'x'), QrLevel::High, 8), 0, "holds 96 of its 306 characters"},
        {qr("HELLO", QrLevel::Medium, 17), 0, "modules of at most 16 dots fit"},
        {qr("HELLO", QrLevel::Medium, 5, 41), 0, "quiet zone is 0 to 40 modules, not 41"},
        {qr("HELLO", QrLevel::Medium, 0), 0, "at least 1 dot, not 0"},
        {qr(""), 0, "no text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.text.substr(0, 40) + " level " + std::string(qrLevelName(c.options.level)));
        const auto measured = image::measureQr(c.options);
        const image::Raster drawn = image::renderQr(c.options);
        if (c.modules == 0) {
            ASSERT_TRUE(std::holds_alternative<std::string>(measured));
            EXPECT_NE(std::get<std::string>(measured).find(c.refusal), std::string::npos)
                << std::get<std::string>(measured);
            EXPECT_TRUE(drawn.empty());
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<image::QrSize>(measured)) << std::get<std::string>(measured);
        const image::QrSize size = std::get<image::QrSize>(measured);
        const int m = c.options.module, quiet = c.options.quietZone * m;
        EXPECT_EQ(size.modules, c.modules);
        EXPECT_EQ(size.dots, (c.modules + 2 * c.options.quietZone) * m);
        EXPECT_LE(size.dots, 490);
        EXPECT_DOUBLE_EQ(size.millimetres, size.dots * 0.075);
        ASSERT_EQ(drawn.width, size.dots);
        ASSERT_EQ(drawn.height, size.dots);
        // Whole dots: every module a square of one colour, black or white, and the quiet zone white.
        for (int y = 0; y < drawn.height; ++y)
            for (int x = 0; x < drawn.width; ++x) {
                const std::uint8_t* p = drawn.at(x, y);
                const bool quietZone = std::min({x, y, size.dots - 1 - x, size.dots - 1 - y}) < quiet;
                ASSERT_TRUE(p[0] == p[1] && p[1] == p[2] && (p[0] == 0 || p[0] == 255));
                ASSERT_EQ(p[0], quietZone ? 255 : *drawn.at(x - (x - quiet) % m, y - (y - quiet) % m))
                    << x << "," << y;
            }
    }
}

TEST(QrCodeTest, ACodeAloneIsCentredInTheFieldDotForDot) {
    const image::QrOptions options{"HELLO", image::QrLevel::Medium, 3, 4};  // 21 modules, 87 dots
    const image::Bitmap engraving = engravingOfDots(image::renderQr(options), false);
    // The finder pattern's outer corner, inside the 12-dot quiet zone of a code at (202, 202).
    EXPECT_EQ(indexAt(engraving, 214, 214), 0);
    EXPECT_EQ(indexAt(engraving, 213, 214), 1);
    EXPECT_EQ(indexAt(engraving, 214, 213), 1);
    EXPECT_EQ(indexAt(engraving, 202 + 87 - 12 - 1, 214), 0);
    EXPECT_EQ(indexAt(engraving, 202 + 87 - 12, 214), 1);
}

using PrepareQrTest = MainWindow;

TEST_F(PrepareQrTest, BadCodesAndOptionsAreRefusedAndWriteNothing) {
    struct Bad {
        std::vector<std::string> options;
        int status;
        std::string message;
    };
    const Bad bad[] = {
        {{"--qr", std::string(2000, 'a')}, 1, "holds 1722 of its 2000 characters"},
        {{"--qr", "x", "--module", "17"}, 1, "modules of at most 16 dots fit"},
        {{"--qr", "x", "--ecc", "X"}, 2, "--ecc takes L, M, Q or H, not 'X'"},
        {{"--qr", "x", "--module", "0"}, 2, "--module takes a whole number of dots, 1 or more, not '0'"},
        {{"--qr", "x", "--conversion", "atkinson"}, 2, "--qr draws the code alone"},
        {{"--module", "4", "--text", "x"}, 2, "--module, --ecc and --quiet-zone go with --qr"},
    };
    const auto out = dir / "out.bmp";
    for (const Bad& b : bad) {
        std::vector<std::string> arguments = b.options;
        arguments.push_back(out.string());
        const ToolRun run = tessary::testing::runProgram(TESSARY_PREPARE, arguments);
        EXPECT_EQ(run.status, b.status) << b.message;
        EXPECT_NE(run.err.find(b.message), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << b.message;
    }
}

using MirrorTest = MainWindow;

TEST_F(MirrorTest, MirroredEngravingsAreTheUnmirroredOnesReversedRowByRow) {
    image::Raster photo(300, 200);
    for (int y = 0; y < photo.height; ++y)
        for (int x = 0; x < photo.width; ++x)
            std::fill_n(photo.at(x, y), 3, static_cast<std::uint8_t>((x * 3 + y * y / 7) % 256));
    const std::string in = picture("photo.bmp", photo);
    struct Case {
        std::vector<std::string> options;  // IN is appended unless it is a text or a code
        std::string logged;                // what the mirrored run says
    };
    const Case cases[] = {
        {{}, "Conversion: Threshold, mirrored\n"},
        {{"--conversion", "floyd-steinberg", "--size", "120"},
         "Conversion: Floyd–Steinberg, size 120, mirrored\n"},
        {{"--text", "Tessary", "--align", "left"}, "Conversion: Threshold, mirrored\n"},
        {{"--qr", "https://example.org/tessary", "--ecc", "Q", "--module", "4"}, ", mirrored\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.empty() ? "picture" : c.options.front());
        const bool alone =
            !c.options.empty() && (c.options.front() == "--text" || c.options.front() == "--qr");
        std::vector<image::Bitmap> engravings;
        for (const bool mirrored : {false, true}) {
            std::vector<std::string> arguments = c.options;
            if (mirrored) arguments.insert(arguments.begin(), "--mirror");
            if (!alone) arguments.push_back(in);
            arguments.push_back((dir / "out.bmp").string());
            const ToolRun run = tessary::testing::runProgram(TESSARY_PREPARE, arguments);
            ASSERT_EQ(run.status, 0) << run.err;
            if (mirrored) {
                EXPECT_NE(run.out.find(c.logged), std::string::npos) << run.out;
            }
            engravings.push_back(bitmapOf(readFile(dir / "out.bmp")));
        }
        int differ = 0;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x) {
                ASSERT_EQ(indexAt(engravings[1], x, y), indexAt(engravings[0], 511 - x, y)) << x << "," << y;
                differ += indexAt(engravings[0], x, y) != indexAt(engravings[0], 511 - x, y);
            }
        EXPECT_GT(differ, 100) << "a picture that is its own mirror tells nothing";
    }
}

}  // namespace
}  // namespace tessary::intake::testing
