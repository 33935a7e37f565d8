// SPDX-License-Identifier: GPL-3.0-or-later
// QR codes as tessary-prepare engraves them, read back from the 1-bit preview by an independent reader.
#include <gtest/gtest.h>

#include <filesystem>

#include "image/qr/qr_code.h"
#include "intake/code_engraving.h"
#include "intake_fixture.h"

namespace tessary::intake::testing {
namespace {

TEST(QrReadBackTest, EveryLevelAndModuleSizeReadsBackFromTheEngraving) {
    ASSERT_TRUE(std::filesystem::exists(TESSARY_ZBARIMG))
        << "zbarimg is missing: scripts/setup.sh installs zbar-tools";
    tessary::testing::TempFolder folder("tessary-qr");
    const auto out = folder.path() / "code.bmp";
    const std::string texts[] = {"https://example.org/tessary?tag=42", "TESSARY 2026-12-08", "0123456789"};
    int run = 0;
    for (const char* level : {"L", "M", "Q", "H"})
        for (const int module : {2, 3, 5}) {
            const std::string& text = texts[run++ % std::size(texts)];
            SCOPED_TRACE(std::string("level ") + level + ", " + std::to_string(module) +
                         " dots a module: " + text);
            const ToolRun made = tessary::testing::runProgram(
                TESSARY_PREPARE,
                {"--qr", text, "--ecc", level, "--module", std::to_string(module), out.string()});
            ASSERT_EQ(made.status, 0) << made.err;
            const image::Bytes engraving = readFile(out);
            ASSERT_EQ(engraving.size(), 32830u);
            // Dot for dot the code as drawn, centred in the field.
            image::QrOptions options{text, *image::qrLevelFromName(level), module,
                                     image::kQrDefaultQuietZone};
            EXPECT_EQ(engraving, engravingOfDots(image::renderQr(options), false).ToByteSet());
            const ToolRun read =
                tessary::testing::runProgram(TESSARY_ZBARIMG, {"--quiet", "--raw", out.string()});
            EXPECT_EQ(read.status, 0) << read.err;
            EXPECT_EQ(read.out, text + "\n");
        }
}

}  // namespace
}  // namespace tessary::intake::testing
