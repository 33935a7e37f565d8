// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion modes through the intake: dithering keeps the tone of a ramp and of a photograph, margins stay
// white, and an option change converts the kept picture again (and back to the default bytes).
#include <cmath>

#include "intake/headless.h"
#include "intake_fixture.h"
#include "support/bitmap_pixels.h"

namespace tessary::intake::testing {
namespace {

using tessary::testing::indexAt;

using ConversionIntakeTest = MainWindow;

class Recording : public Headless {
  public:
    using Headless::Headless;
    void log(std::string_view line) override { logged += line; }
    std::string logged;
};

std::string rampPicture(const std::filesystem::path& dir) {
    image::Raster ramp(480, 300);
    for (int y = 0; y < ramp.height; ++y)
        for (int x = 0; x < ramp.width; ++x)
            std::fill_n(ramp.at(x, y), 3, static_cast<std::uint8_t>(x * 255 / 479));
    const auto path = dir / "ramp.bmp";
    writeBytes(path, image::bmp24(ramp, false));
    return path.string();
}

TEST_F(ConversionIntakeTest, DitheringKeepsTheToneOfEveryBlockAndLeavesTheMarginsWhite) {
    // Atkinson passes on six eighths of the error: below a grey of 32 (above 223) of 255 a block comes out
    // all black (all white), and in the shadows and highlights next to those it keeps too little of the
    // tone, up to 0.125 off by design; the mid-tones keep within 0.10.
    struct Mode {
        image::Conversion mode;
        double tolerance;
        double extremes;
    };
    const Mode modes[] = {
        {image::Conversion::FloydSteinberg, 0.06, 0.06}, {image::Conversion::Jarvis, 0.06, 0.06},
        {image::Conversion::Stucki, 0.06, 0.06},         {image::Conversion::Bayer, 0.06, 0.06},
        {image::Conversion::Atkinson, 0.10, 0.126},      {image::Conversion::Halftone, 0.12, 0.12},
    };
    const std::string pictures[] = {rampPicture(dir),
                                    std::string(TESSARY_TESTDATA_DIR) + "/jpeg/Landscape_1.jpg"};
    for (const std::string& picture : pictures)
        for (const Mode& m : modes) {
            SCOPED_TRACE(picture + " " + std::string(image::conversionName(m.mode)));
            const auto out = dir / "out.bmp";
            ImageState state;
            state.options.mode = m.mode;
            Headless around(out.string(), true);
            ASSERT_EQ(takeIn(state, around, picture), IntakeResult::Prepared);
            const image::Bitmap preview = bitmapOf(readFile(out));
            const image::PictureRect r = state.pictureRect;
            ASSERT_GT(r.width, 300);
            double worst = 0;
            // The snapshot's outer lines of the picture are blends with the margin, lighter than the
            // picture that is dithered there: the blocks lie inside them.
            for (int by = r.top + 1; by + 16 < r.top + r.height; by += 16)
                for (int bx = r.left + 1; bx + 16 < r.left + r.width; bx += 16) {
                    double grey = 0, white = 0;
                    for (int y = by; y < by + 16; ++y)
                        for (int x = bx; x < bx + 16; ++x) {
                            const std::uint8_t* p = state.kept.at(x, y);
                            grey += (0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]) / 255.0;
                            white += indexAt(preview, x, y);
                        }
                    grey /= 256.0;
                    const bool extreme = grey < 0.2 || grey > 0.8;
                    EXPECT_LE(std::abs(white / 256.0 - grey), extreme ? m.extremes : m.tolerance)
                        << "block " << bx << "," << by << " grey " << grey;
                    worst = std::max(worst, std::abs(white / 256.0 - grey));
                }
            RecordProperty(
                std::string(image::conversionKey(m.mode)) + (picture == pictures[0] ? "-ramp" : "-photo"),
                std::to_string(worst));
            for (int y = 0; y < 512; ++y)
                for (int x = 0; x < 512; ++x) {
                    const bool inside =
                        x >= r.left && x < r.left + r.width && y >= r.top && y < r.top + r.height;
                    if (!inside) {
                        ASSERT_EQ(indexAt(preview, x, y), 1) << x << "," << y;
                    }
                }
        }
}

TEST_F(ConversionIntakeTest, EveryEdgeOfAFlatPictureDithersAsItsInsideDoes) {
    // The snapshot blends the picture's outer lines with the margin, and the diffusion has no error from
    // beyond the picture: neither may show as a darker or lighter line along an edge. An edge line must
    // look like some line of the inside (give or take 4 points), and the outer two lines together like
    // the inside as a whole (within 5): Atkinson at grey 60 alternates rows of 67 % and 100 % black.
    struct Grey {
        std::uint8_t grey;
        bool invert;
    };
    const Grey greys[] = {{165, false}, {60, false}, {90, true}};
    const image::Conversion modes[] = {image::Conversion::FloydSteinberg, image::Conversion::Atkinson,
                                       image::Conversion::Jarvis, image::Conversion::Stucki};
    enum Edge { Top, Bottom, Left, Right };
    constexpr const char* kEdgeNames[] = {"top", "bottom", "left", "right"};
    for (const Grey& g : greys) {
        const auto picture = dir / "flat.bmp";
        writeBytes(picture, image::bmp24(solid(600, 400, g.grey, g.grey, g.grey), false));
        for (const image::Conversion mode : modes) {
            ImageState state;
            state.options.mode = mode;
            state.options.invert = g.invert;
            const auto out = dir / "out.bmp";
            Headless around(out.string(), true);
            ASSERT_EQ(takeIn(state, around, picture.string()), IntakeResult::Prepared);
            const image::Bitmap preview = bitmapOf(readFile(out));
            const image::PictureRect r = state.pictureRect;
            // The black share, in per cent, of row or column i of the picture.
            const auto black = [&](bool row, int i) {
                int n = 0;
                for (int j = 0; j < (row ? r.width : r.height); ++j)
                    n += 1 - (row ? indexAt(preview, r.left + j, r.top + i)
                                  : indexAt(preview, r.left + i, r.top + j));
                return 100.0 * n / (row ? r.width : r.height);
            };
            for (const Edge edge : {Top, Bottom, Left, Right}) {
                SCOPED_TRACE(std::string(image::conversionName(mode)) + " grey " + std::to_string(g.grey) +
                             (g.invert ? " inverted, " : ", ") + kEdgeNames[edge]);
                const bool rows = edge == Top || edge == Bottom;
                const int lines = rows ? r.height : r.width;
                double low = 100, high = 0, mean = 0;
                for (int i = 24; i < lines - 24; ++i) {
                    const double b = black(rows, i);
                    low = std::min(low, b);
                    high = std::max(high, b);
                    mean += b / (lines - 48);
                }
                const int outer = edge == Top || edge == Left ? 0 : lines - 1;
                const int next = edge == Top || edge == Left ? 1 : lines - 2;
                for (const int i : {outer, next}) {
                    EXPECT_GE(black(rows, i), low - 4) << "line " << i;
                    EXPECT_LE(black(rows, i), high + 4) << "line " << i;
                }
                EXPECT_NEAR((black(rows, outer) + black(rows, next)) / 2, mean, 5);
            }
        }
    }
}

TEST_F(ConversionIntakeTest, AnOptionChangeConvertsTheKeptPictureAgainAndDefaultsRestoreTheBytes) {
    const std::string picture = std::string(TESSARY_TESTDATA_DIR) + "/jpeg/Landscape_1.jpg";
    const auto out = dir / "out.bmp";
    ImageState state;
    Recording around(out.string(), true);
    ASSERT_EQ(takeIn(state, around, picture), IntakeResult::Prepared);
    const image::Bytes defaults = readFile(out);
    const image::Bytes engraving = state.engraving.ToByteSet();
    EXPECT_EQ(around.logged.find("Conversion"), std::string::npos);

    around.logged.clear();
    state.options.mode = image::Conversion::FloydSteinberg;
    state.options.brightness = 10;
    state.options.invert = true;
    ASSERT_TRUE(reconvert(state, around));
    EXPECT_EQ(conversionLine(state), "Conversion: Floyd–Steinberg, brightness +10, inverted\r\n\r\n");
    const image::Bytes dithered = readFile(out);
    EXPECT_EQ(dithered.size(), 32830u);
    EXPECT_NE(dithered, defaults);
    EXPECT_EQ(state.engraving.ToByteSet(), image::Bitmap(bitmapOf(dithered)).Mirror(false, true).ToByteSet());

    // The next intake and Reload keep the options and name them after the black-and-white line.
    around.logged.clear();
    reload(state, around);
    EXPECT_EQ(readFile(out), dithered);
    EXPECT_NE(around.logged.find("Image has been converted to black and white\r\n\r\n"
                                 "Conversion: Floyd–Steinberg, brightness +10, inverted\r\n\r\n"),
              std::string::npos);

    state.options = {};
    ASSERT_TRUE(reconvert(state, around));
    EXPECT_EQ(readFile(out), defaults);
    EXPECT_EQ(state.engraving.ToByteSet(), engraving);
    EXPECT_EQ(conversionLine(state), "");
}

}  // namespace
}  // namespace tessary::intake::testing
