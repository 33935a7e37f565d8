// SPDX-License-Identifier: GPL-3.0-or-later
// tessary-prepare runs the console's intake: the same preview file, the same log lines, the same refusal.
#include <cstdlib>

#include "app/definitions/unit_names.h"
#include "intake/headless.h"
#include "intake/intake.h"
#include "intake_fixture.h"
#include "support/bitmap_pixels.h"

namespace tessary::intake::testing {
namespace {

using tessary::testing::indexAt;

using PrepareTest = MainWindow;

TEST_F(PrepareTest, WritesTheConsolesPreviewFileAndPrintsItsLogLines) {
    // The console's canvas takes the palette's button face when the window is made, which differs between
    // platforms; the tool has the visual style's.
    main().set(main_window::kCanvas, prop::drawpanel::kBackColour, static_cast<std::int32_t>(kButtonFace));
    ASSERT_EQ(main().drawPanel(main_window::kCanvas).background(), kButtonFace);
    image::Raster photo(1200, 800);
    for (int y = 0; y < photo.height; ++y)
        for (int x = 0; x < photo.width; ++x) {
            std::uint8_t* p = photo.at(x, y);
            p[0] = static_cast<std::uint8_t>((x * x / 97 + y) % 256);
            p[1] = static_cast<std::uint8_t>((x + y * y / 53) % 256);
            p[2] = static_cast<std::uint8_t>((x * y / 211) % 256);
        }
    const std::string in = picture("photo.bmp", photo);
    drop(in);
    const auto out = dir / "prepared.bmp";
    const ToolRun run = prepare(dir, in, out.string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(out), readFile(previewFile()));
    EXPECT_EQ(run.out,
              "Original image information:\nImage resolution:1200*800\n"
              "Image is too large,It has been adjusted to the optimal resolution\n"
              "Image has been converted to black and white\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(PrepareTest, RefusedPictureFailsAndLeavesOutAlone) {
    writeBytes(dir / "notes.jpg", image::Bytes(100, 'x'));
    const auto out = dir / "kept.bmp";
    writeBytes(out, image::Bytes{1, 2, 3});
    const ToolRun refused = prepare(dir, (dir / "notes.jpg").string(), out.string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Wrong file type: " + (dir / "notes.jpg").string() +
                               ": it is not a kind of picture Tessary takes in\n");
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(readFile(out), (image::Bytes{1, 2, 3}));

    const ToolRun unwritable =
        prepare(dir, picture("p.bmp", solid(8, 8, 0, 0, 0)), (dir / "no" / "such.bmp").string());
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("Wrong file type: "), std::string::npos);
    EXPECT_EQ(prepare(dir, "only-one", "").status, 2);
}

TEST_F(PrepareTest, ConversionOptionsGiveTheIntakesResultAndBadValuesWriteNothing) {
    const std::string in = picture("photo.bmp", [] {
        image::Raster r(300, 200);
        for (std::size_t i = 0; i < r.rgb.size(); ++i) r.rgb[i] = static_cast<std::uint8_t>(i * 7 % 253);
        return r;
    }());
    const auto out = dir / "out.bmp";
    ImageState state;
    state.options.mode = image::Conversion::Halftone;
    state.options.cell = 8;
    state.options.angle = 30;
    state.options.gamma = 150;
    state.options.brightness = -20;
    state.options.invert = true;
    Headless quiet((dir / "expected.bmp").string(), true);
    ASSERT_EQ(takeIn(state, quiet, in), IntakeResult::Prepared);
    const ToolRun run = prepare(dir, in, out.string(),
                                {"--conversion", "halftone", "--cell=8", "--angle", "30", "--gamma", "1.5",
                                 "--brightness", "-20", "--invert"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(out), readFile(dir / "expected.bmp"));
    EXPECT_NE(run.out.find("Image has been converted to black and white\nConversion: Halftone dots, cell 8, "
                           "angle 30, brightness -20, gamma 1.50, inverted\n"),
              std::string::npos);
    std::filesystem::remove(out);

    // The size as the console's Size and "Fill the field" give it.
    for (const std::vector<std::string>& sizing :
         {std::vector<std::string>{"--size", "420"}, std::vector<std::string>{"--fill"}}) {
        ImageState sized;
        sized.options.mode = image::Conversion::Jarvis;
        sized.options.size = sizing.size() == 2 ? 420 : 0;
        sized.options.fill = sizing.size() == 1;
        ASSERT_EQ(takeIn(sized, quiet, in), IntakeResult::Prepared);
        std::vector<std::string> options = {"--conversion", "jarvis"};
        options.insert(options.end(), sizing.begin(), sizing.end());
        const ToolRun r = prepare(dir, in, out.string(), options);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(readFile(out), readFile(dir / "expected.bmp")) << sizing.front();
        std::filesystem::remove(out);
    }

    struct Bad {
        std::vector<std::string> options;
        std::string message;
    };
    const Bad bad[] = {
        {{"--conversion", "sierra"}, "unknown conversion 'sierra'"},
        {{"--threshold", "766"}, "--threshold takes a grey, a whole number from 0 to 255, not '766'"},
        {{"--threshold=-1"}, "not '-1'"},
        {{"--threshold", "0x80"}, "not '0x80'"},
        {{"--threshold", "256"}, "--threshold takes grey 0-255; for R+G+B 256 write --threshold 86"},
        {{"--threshold", "510"}, "--threshold takes grey 0-255; for R+G+B 510 write --threshold 170"},
        {{"--threshold=765"}, "for R+G+B 765 write --threshold 255"},
        {{"--cell", "1"}, "--cell takes a whole number from 2 to 32"},
        {{"--angle", "45.5"}, "--angle takes a whole number"},
        {{"--brightness", "101"}, "from -100 to 100"},
        {{"--contrast", "ten"}, "--contrast takes a whole number"},
        {{"--gamma", "0.19"}, "--gamma takes a number with up to two decimals from 0.20 to 5.00, not '0.19'"},
        {{"--gamma", "1.234"}, "not '1.234'"},
        {{"--gamma", "5.01"}, "not '5.01'"},
        {{"--sharpen", ""}, "--sharpen takes a whole number"},
        {{"--sharpen", "+-3"}, "not '+-3'"},
        {{"--invert=yes"}, "unknown option --invert=yes"},
        {{"--colour", "red"}, "unknown option --colour"},
        {{"--size", "0"}, "--size takes a whole number from 1 to 490, not '0'"},
        {{"--size=-5"}, "not '-5'"},
        {{"--size", "491"}, "not '491'"},
        {{"--size", "half"}, "not 'half'"},
        {{"--size", "300", "--fill"}, "--size and --fill exclude each other"},
    };
    for (const Bad& b : bad) {
        const ToolRun r = prepare(dir, in, out.string(), b.options);
        EXPECT_EQ(r.status, 2) << b.message;
        EXPECT_NE(r.err.find(b.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << b.message;
    }
    const ToolRun help = prepare(dir, "--help", "x");
    for (const char* option :
         {"--conversion", "--threshold", "--cell", "--angle", "--brightness", "--contrast", "--gamma",
          "--sharpen", "--invert", "--auto-level", "--size", "--fill", "floyd-steinberg", "halftone", "--qr",
          "--module", "--ecc", "--quiet-zone", "--mirror"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST_F(PrepareTest, TheThresholdIsTheGreyThePictureOptionsWindowShows) {
    image::Raster ramp(256, 64);
    for (int y = 0; y < ramp.height; ++y)
        for (int x = 0; x < ramp.width; ++x) std::fill_n(ramp.at(x, y), 3, static_cast<std::uint8_t>(x));
    const std::string in = picture("ramp.bmp", ramp);
    const auto out = dir / "out.bmp";
    Headless quiet((dir / "expected.bmp").string(), true);
    for (const int grey : {0, 1, 90, 128, 200, 255}) {
        ImageState state;
        state.options.threshold = image::thresholdLevel(grey);
        ASSERT_EQ(takeIn(state, quiet, in), IntakeResult::Prepared);
        const ToolRun run = prepare(dir, in, out.string(), {"--threshold", std::to_string(grey)});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(readFile(out), readFile(dir / "expected.bmp")) << grey;
        // White exactly where the grey reaches the level.
        const image::Bitmap preview = bitmapOf(readFile(out));
        const image::PictureRect r = state.pictureRect;
        for (int x = r.left; x < r.left + r.width; ++x)
            ASSERT_EQ(indexAt(preview, x, r.top + 30), state.kept.at(x, r.top + 30)[0] >= grey ? 1 : 0)
                << "grey " << grey << " at " << x;
    }
    const ToolRun plain = prepare(dir, in, out.string(), {"--threshold", "+128"});
    EXPECT_EQ(plain.out.find("Conversion:"), std::string::npos) << "128 is the default level";
}

TEST_F(PrepareTest, WithoutItsModulesOnlyTheirPicturesAreRefusedWithALineSayingWhy) {
    // A copy of the program alone in a folder finds neither module beside it nor where the package puts them.
    // (On Windows the libraries it loads at start go along: Windows finds them beside a program.)
    const std::filesystem::path program = TESSARY_PREPARE;
    const auto alone = dir / "alone" / program.filename();
    std::filesystem::create_directories(alone.parent_path());
    std::filesystem::copy_file(program, alone);
    std::string suffix = ".so";
    for (const auto& file : std::filesystem::directory_iterator(program.parent_path())) {
        const std::string name = file.path().filename().string();
        if (file.path().extension() != ".dll") continue;
        if (name.starts_with("tessary-"))
            suffix = ".dll";
        else
            std::filesystem::copy_file(file.path(), alone.parent_path() / name);
    }
    const std::string data = TESSARY_TESTDATA_DIR;
    const std::string heif =
        "tessary-heif: HEIC and AVIF pictures are refused: tessary-heif" + suffix + " is neither in ";
    const std::string render = "tessary-render: SVG pictures and typed text are refused: tessary-render" +
                               suffix + " is neither in ";
    const std::string wrongType = "Wrong file type: ";
    struct Case {
        std::vector<std::string> options;
        std::string in;
        std::string refusal;  // the first line's start; empty: prepared
        std::string then;     // what follows that line
    };
    const Case cases[] = {
        {{}, data + "/jpeg/Landscape_1.jpg", "", ""},
        {{}, data + "/heif/photo.heic", heif, wrongType},
        {{}, data + "/heif/picture.avif", heif, wrongType},
        {{}, data + "/svg/logo.svg", render, wrongType},
        {{"--text"},
         "Tessary",
         render,
         "tessary-prepare: Typed text cannot be drawn without the module tessary-render.\n"},
    };
    const auto out = dir / "out.bmp";
    for (const Case& c : cases) {
        std::filesystem::remove(out);
        const ToolRun run = prepare(dir, c.in, out.string(), c.options, alone.string());
        if (c.refusal.empty()) {
            EXPECT_EQ(run.status, 0) << c.in << run.err;
            EXPECT_TRUE(std::filesystem::exists(out)) << c.in;
            continue;
        }
        const std::size_t lineEnd = run.err.find('\n');
        EXPECT_EQ(run.status, 1) << c.in;
        EXPECT_EQ(run.err.substr(0, c.refusal.size()), c.refusal) << run.err;
        EXPECT_TRUE(run.err.substr(lineEnd + 1).starts_with(c.then)) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.in;
    }
}

}  // namespace
}  // namespace tessary::intake::testing
