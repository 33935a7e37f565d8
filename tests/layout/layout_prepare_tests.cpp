// SPDX-License-Identifier: GPL-3.0-or-later
// tessary-prepare --layout: a lone picture gives the intake's bytes, several items the composition's, and a
// description that cannot be used is refused with nothing written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "intake/drawn_pictures.h"
#include "layout/layout.h"
#include "layout/layout_file.h"
#include "support/program_run.h"
#include "support/temp_folder.h"

namespace tessary::layout {
namespace {

const std::string kData = TESSARY_TESTDATA_DIR;

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class LayoutPrepareTest : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const std::string& text) {
        const auto path = folder_.path() / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    testing::ProgramRun prepare(const std::vector<std::string>& arguments) {
        return testing::runProgram(TESSARY_PREPARE, arguments);
    }
    std::string out() const { return (folder_.path() / "out.bmp").string(); }
    testing::TempFolder folder_;
};

TEST_F(LayoutPrepareTest, ALonePictureGivesTheIntakesBytesAndLogLines) {
    // The layout's lines before and after its picture, and the options that say the same on the command line.
    struct Case {
        std::string before, after;
        std::vector<std::string> options;
    };
    const std::string photo = kData + "/jpeg/hopper.jpg";
    const Case cases[] = {
        {"", "", {}},
        {"mirror = yes\n", "", {"--mirror"}},
        {"",
         "conversion = floyd-steinberg\nbrightness = 10\n",
         {"--conversion", "floyd-steinberg", "--brightness", "10"}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const std::string layoutFile =
            write("one.layout", cases[i].before + "[picture]\nfile = " + photo + "\n" + cases[i].after);
        std::vector<std::string> direct = cases[i].options;
        direct.insert(direct.end(), {photo, (folder_.path() / "direct.bmp").string()});
        const auto a = prepare({"--layout", layoutFile, out()});
        const auto b = prepare(direct);
        ASSERT_EQ(a.status, 0) << a.err;
        ASSERT_EQ(b.status, 0) << b.err;
        EXPECT_EQ(a.out, b.out);
        const std::string bytes = readAll(out());
        EXPECT_EQ(bytes.size(), 32830u);
        EXPECT_EQ(bytes, readAll(folder_.path() / "direct.bmp"));
    }
}

TEST_F(LayoutPrepareTest, SeveralItemsGiveTheCompositionsBytes) {
    if (!intake::drawingMissing().empty()) GTEST_SKIP() << "no text drawing module";
    const std::string text =
        "# a pet tag\nmirror = yes\n"
        "[picture]\nfile = " +
        kData +
        "/jpeg/hopper.jpg\nx = 10\ny = 10\nwidth = 300\nturn = 1\n"
        "conversion = atkinson\ncrop = 10, 20, 100, 90\n"
        "[text]\ntext = Rex\\nTel 0123\nx = 20\ny = 330\nsize = 40\nbold = yes\nalign = left\n"
        "[qr]\ntext = https://example.org\nx = 330\ny = 330\nmodule = 4\necc = H\nquiet-zone = 2\n";
    const auto run = prepare({"--layout", write("tag.layout", text), out()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Layout: 3 items, mirrored\n");
    Layout parsed;
    ASSERT_EQ(parseLayout(text, "", parsed), "");
    ASSERT_EQ(parsed.items.size(), 3u);
    EXPECT_EQ(parsed.items[0].crop, (Crop{10, 20, 100, 90}));
    EXPECT_EQ(parsed.items[1].text.text, "Rex\nTel 0123");
    const Composition made = compose(parsed);
    ASSERT_FALSE(made.preview.empty());
    const image::Bytes expected = made.preview.ToByteSet();
    EXPECT_EQ(readAll(out()), std::string(expected.begin(), expected.end()));
}

TEST_F(LayoutPrepareTest, AnUnusableLayoutIsRefusedAndNothingWritten) {
    const std::string photo = "[picture]\nfile = " + kData + "/jpeg/hopper.jpg\n";
    struct Case {
        std::string layout;
        const char* said;
    };
    const Case cases[] = {
        {"", "has no item"},
        {"[picture]\nx = 3\n", "line 1: a [picture] needs file"},
        {"[circle]\n", "line 1: unknown section [circle]"},
        {photo + "colour = red\n", "line 3: unknown key 'colour'"},
        {photo + "turn = 4\n", "line 3: turn takes a whole number from 0 to 3, not '4'"},
        {photo + "width = 0\n", "width takes a whole number from 1 to 2048"},
        {photo + "x = ten\n", "x takes a whole number"},
        {photo + "crop = 1,2,3\n", "crop takes left,top,width,height"},
        {photo + "crop = 100,100,100,100\n", "does not lie inside the picture (128 x 128)"},
        {photo + "conversion = sepia\n", "unknown conversion 'sepia'"},
        {"mirror = maybe\n" + photo, "mirror takes yes or no"},
        {"[qr]\ntext = " + std::string(3000, 'x') + "\n", "item 1 (QR code)"},
        {"[text]\ntext = Hi\nalign = justified\n", "align takes left, centre or right"},
        {photo + "just words\n", "expected key = value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        const auto run = prepare({"--layout", write("bad.layout", c.layout), out()});
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out()));
    }
    const auto missing = prepare({"--layout", (folder_.path() / "none.layout").string(), out()});
    EXPECT_EQ(missing.status, 2);
    const auto withText = prepare({"--layout", write("ok.layout", photo), "--text", "Hi", out()});
    EXPECT_EQ(withText.status, 2);
    EXPECT_FALSE(std::filesystem::exists(out()));
}

}  // namespace
}  // namespace tessary::layout
