// SPDX-License-Identifier: GPL-3.0-or-later
// The formats after the six (WebP, GIF, HEIC, AVIF, SVG), the layouts of the six taken in later, and typed
// text, through the intake as a drop takes them: right size and pixels, truncated copies refused with the
// previous preview kept, SVG drawn at its fitted size from its own bytes only, text filling the field.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "decode_test_support.h"
#include "image/decode/decoders.h"
#include "image/decode/heif_items.h"
#include "image/render/svg_decoder.h"
#include "intake/fitted_picture.h"
#include "intake/intake.h"
#include "support/memory_stream.h"

namespace tessary::image::testing {
namespace {

std::string ownData(const std::string& name) { return std::string(TESSARY_REPO_TESTDATA_DIR) + "/" + name; }

// A binary PPM (P6, maxval 255) as written by ImageMagick.
Raster readPpm(const std::string& path) {
    const Bytes b = readBytes(path);
    std::size_t at = 0;
    auto token = [&]() {
        while (at < b.size() && std::isspace(b[at])) ++at;
        std::string t;
        while (at < b.size() && !std::isspace(b[at])) t += static_cast<char>(b[at++]);
        return t;
    };
    if (token() != "P6") return {};
    const int w = std::atoi(token().c_str()), h = std::atoi(token().c_str());
    if (token() != "255" || w <= 0 || h <= 0 || b.size() < at + 1 + std::size_t(w) * h * 3) return {};
    Raster r(w, h);
    std::copy_n(b.begin() + static_cast<std::ptrdiff_t>(at + 1), r.rgb.size(), r.rgb.begin());
    return r;
}

class Headless : public intake::Surroundings {
  public:
    explicit Headless(std::string preview) : preview_(std::move(preview)), canvas_(510, 510) {}
    Raster& canvas() override { return canvas_; }
    std::uint32_t canvasBackground() override { return intake::kButtonFace; }
    Resample resampling() override { return Resample::Halftone; }
    std::string previewFile() override { return preview_; }
    void log(std::string_view line) override { logged += line; }
    void showPreview(const Bytes& bmp) override { shown = bmp; }
    void wrongFileType() override { ++refusals; }
    void noText() override { ++noTexts; }

    std::string logged;
    Bytes shown;
    int refusals = 0;
    int noTexts = 0;

  private:
    std::string preview_;
    Raster canvas_;
};

struct FormatCase {
    const char* file;
    PictureFormat format;
    int tolerance;  // against the reference reading in FILE.ppm
};

const FormatCase kFormats[] = {
    {"webp/lossy.webp", PictureFormat::WebP, 0},
    {"webp/lossless.webp", PictureFormat::WebP, 0},
    {"webp/alpha.webp", PictureFormat::WebP, 1},     // compositing over white rounds its own way
    {"webp/animated.webp", PictureFormat::WebP, 0},  // the first of two frames
    {"gif/plain.gif", PictureFormat::Gif, 0},
    {"gif/interlaced_transparent.gif", PictureFormat::Gif, 0},
    {"gif/animated.gif", PictureFormat::Gif, 0},
    {"heif/photo.heic", PictureFormat::Heif, 1},  // colour turned into RGB here, rounded its own way
    {"heif/alpha.heic", PictureFormat::Heif, 1},
    {"heif/turned.heic", PictureFormat::Heif, 1},  // stored 64 x 48 with a quarter turn: read 48 x 64
    {"heif/grid.heic", PictureFormat::Heif, 1},    // 3 x 2 tiles of 64 x 64 cropped to 150 x 100
    {"heif/picture.avif", PictureFormat::Heif, 1},
    // The same AV1 picture with its sequence header full and wide (frames give their own size), moved to
    // the av1C property, and as the four tiles of a grid.
    {"heif/av1_full_header.avif", PictureFormat::Heif, 1},
    {"heif/av1_in_config.avif", PictureFormat::Heif, 1},
    {"heif/av1_grid.avif", PictureFormat::Heif, 1},
    // Layouts of the older formats: 16-bit PNG, BMP of every depth and coding, four-component JPEG.
    {"layouts/png16_grey.png", PictureFormat::Png, 0},
    {"layouts/png16_grey_alpha.png", PictureFormat::Png, 0},
    {"layouts/png16_rgb.png", PictureFormat::Png, 0},
    {"layouts/png16_rgba.png", PictureFormat::Png, 0},
    {"layouts/pal1.bmp", PictureFormat::Bmp, 0},
    {"layouts/pal4.bmp", PictureFormat::Bmp, 0},
    {"layouts/pal8.bmp", PictureFormat::Bmp, 0},
    {"layouts/rle4.bmp", PictureFormat::Bmp, 0},
    {"layouts/rle8.bmp", PictureFormat::Bmp, 0},
    {"layouts/rle8_past.bmp", PictureFormat::Bmp,
     0},  // runs past the rows' ends and rows past the top dropped
    {"layouts/rgb555.bmp", PictureFormat::Bmp, 0},
    {"layouts/rgb565.bmp", PictureFormat::Bmp, 0},
    {"layouts/rgb32.bmp", PictureFormat::Bmp, 0},
    {"layouts/rgba32_v5.bmp", PictureFormat::Bmp, 0},
    {"layouts/cmyk_plain.jpg", PictureFormat::Jpeg, 0},
    {"layouts/cmyk_adobe.jpg", PictureFormat::Jpeg, 0},
    {"layouts/ycck_adobe.jpg", PictureFormat::Jpeg, 0},
};

class NewFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NewFormat, ReadsAsItsReferenceAndRefusesATruncatedCopy) {
    const FormatCase& c = GetParam();
    const Raster reference = readPpm(ownData(std::string(c.file) + ".ppm"));
    ASSERT_FALSE(reference.empty());

    intake::FittedPicture fitted;
    ASSERT_EQ(intake::decodeFitted(ownData(c.file), Resample::Halftone, fitted), kConvertOk);
    EXPECT_EQ(fitted.info.format, c.format);
    ASSERT_EQ(fitted.pixels.width, reference.width);
    ASSERT_EQ(fitted.pixels.height, reference.height);
    int worst = 0;
    for (std::size_t i = 0; i < reference.rgb.size(); ++i)
        worst = std::max(worst, std::abs(int(fitted.pixels.rgb[i]) - int(reference.rgb[i])));
    EXPECT_LE(worst, c.tolerance);

    // Taken in, then a truncated copy dropped: refused, the preview and the bitmap stay the first picture's.
    ScratchDir dir;
    Headless around(dir.file("preview.bmp"));
    intake::ImageState state;
    ASSERT_EQ(intake::takeIn(state, around, ownData(c.file)), intake::IntakeResult::Prepared);
    EXPECT_NE(around.logged.find(intake::resolutionLine(reference.width, reference.height)),
              std::string::npos);
    const Bytes preview = readBytes(dir.file("preview.bmp"));
    const Bytes engraving = state.engraving.ToByteSet();
    Bytes whole = readBytes(ownData(c.file));
    whole.resize(whole.size() / 2);
    writeBytes(dir.file("cut"), whole);
    EXPECT_EQ(intake::takeIn(state, around, dir.file("cut")), intake::IntakeResult::Refused);
    EXPECT_EQ(around.refusals, 1);
    EXPECT_EQ(readBytes(dir.file("preview.bmp")), preview);
    EXPECT_EQ(state.engraving.ToByteSet(), engraving);
}

INSTANTIATE_TEST_SUITE_P(Files, NewFormat, ::testing::ValuesIn(kFormats), [](const auto& info) {
    std::string name = info.param.file;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

// A few bytes that declare a picture beyond the pixel limit are refused before anything of that size is
// allocated (each would take gigabytes).
TEST(NewFormat, DeclaredGiantsAreRefused) {
    auto patched = [](const char* file, std::size_t at, Bytes bytes) {
        Bytes b = readBytes(ownData(file));
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    struct Giant {
        const char* name;
        Bytes bytes;
    };
    const Giant giants[] = {
        {"HEIC grid of 49920 x 12288 (found by fuzzing)", readBytes(ownData("heif/grid_bomb.heic"))},
        {"HEIC of 64 x 48 whose coded data brings the parameter sets of 12000 x 9000",
         readBytes(ownData("heif/inband_bomb.heic"))},
        {"AVIF (ispe 2048 x 1024) whose AV1 sequence header says 16384 x 16384",
         readBytes(ownData("heif/av1_bomb.avif"))},
        {"AVIF whose AV1 frame header says 16384 x 16384 past its sequence's 2048 x 1024",
         readBytes(ownData("heif/av1_frame_bomb.avif"))},
        // Its one frame is 2048 x 1024, but a frame may take the declared size without saying so.
        {"AVIF whose AV1 sequence header allows 16384 x 16384 for a 2048 x 1024 frame",
         readBytes(ownData("heif/av1_declared_giant.avif"))},
        {"AVIF grid of 10 x 10 tiles of 256 x 128 whose AV1 frames are 2048 x 1024",
         readBytes(ownData("heif/av1_tile_bomb.avif"))},
        {"GIF screen 65535 x 65535", patched("gif/plain.gif", 6, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"animated WebP canvas 16384 x 16384",
         patched("webp/animated.webp", 24, {0xFF, 0x3F, 0x00, 0xFF, 0x3F, 0x00})},
        {"SVG 20000 x 20000 px",
         [] {
             const std::string s =
                 R"(<svg xmlns="http://www.w3.org/2000/svg" width="20000" height="20000"/>)";
             return Bytes(s.begin(), s.end());
         }()},
    };
    ScratchDir dir;
    for (const Giant& g : giants) {
        writeBytes(dir.file("giant"), g.bytes);
        intake::FittedPicture fitted;
        EXPECT_NE(intake::decodeFitted(dir.file("giant"), Resample::Halftone, fitted), kConvertOk) << g.name;
    }
}

// Plain HEVC photos, alone or in tiles, are read straight through libde265 (their pixels are held to the
// references above), at the size libheif gives and every row once. Transparency and AV1 are left to libheif.
TEST(NewFormat, HeicReadStraightWhenPlain) {
    struct Case {
        const char* file;
        bool straight;
    };
    const Case cases[] = {{"heif/photo.heic", true},
                          {"heif/turned.heic", true},
                          {"heif/grid.heic", true},
                          {"heif/alpha.heic", false},
                          {"heif/picture.avif", false}};
    for (const Case& c : cases) {
        Bytes bytes = readBytes(ownData(c.file));
        std::unique_ptr<FILE, int (*)(FILE*)> f(
            tessary::testing::openMemoryStream(bytes.data(), bytes.size()), fclose);
        ASSERT_TRUE(f);
        const decode::Input in{f.get(), bytes.size()};
        CheckingSink straight, reference;
        DecodeInfo straightInfo, referenceInfo;
        EXPECT_EQ(decode::decodeHeicTiles(in, straight, &straightInfo),
                  c.straight ? kConvertOk : kConvertRefused)
            << c.file;
        if (!c.straight) continue;
        ASSERT_EQ(decode::decodeHeifThroughLibheif(in, reference, {}, &referenceInfo), kConvertOk) << c.file;
        EXPECT_TRUE(straight.everyRowOnce()) << c.file;
        EXPECT_EQ(std::pair(straightInfo.width, straightInfo.height),
                  std::pair(referenceInfo.width, referenceInfo.height))
            << c.file;
    }
}

// The item tables are read as libheif reads them, so that the size checks see every item it decodes; what had
// to be tolerated is marked, and leaves the file to libheif rather than to the straight path.
TEST(NewFormat, HeifItemTablesReadTolerantly) {
    auto box = [](const char(&type)[5], const Bytes& body) {
        const auto size = static_cast<std::uint32_t>(body.size() + 8);
        Bytes b = {std::uint8_t(size >> 24), std::uint8_t(size >> 16), std::uint8_t(size >> 8),
                   std::uint8_t(size),       std::uint8_t(type[0]),    std::uint8_t(type[1]),
                   std::uint8_t(type[2]),    std::uint8_t(type[3])};
        b.insert(b.end(), body.begin(), body.end());
        return b;
    };
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const Bytes infe = box("infe", {2, 0, 0, 0, 0, 1, 0, 0, 'h', 'v', 'c', '1'});  // item 1, HEVC
    const Bytes iinf = join({{0, 0, 0, 0, 0, 1}, infe});
    const Bytes place = {0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 9};  // item 1: 9 bytes at 0, in the file
    const Bytes iloc = join({{0, 0, 0, 0, 0x44, 0, 0, 1}, place});
    const Bytes ipma = {0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 1, 0x81};  // item 1: property 1 (ispe), essential
    Bytes refs = {0, 0, 0, 0}, many = {0, 1, 0xFF, 0xFF};        // 17 times from item 1 to 65535 items
    many.resize(many.size() + 2 * 0xFFFF, 1);
    for (int i = 0; i < 17; ++i) refs = join({refs, box("dimg", many)});
    struct Case {
        const char* name;
        Bytes iinf, iloc, ipma, more;  // `more`: further boxes in the meta box
        bool read, whole;
        std::size_t listings;
        bool placed;
    };
    // clang-format off
    const Case cases[] = {
        {"whole", iinf, iloc, ipma, {}, true, true, 1, true},
        {"associations cut short", iinf, iloc, {0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 1, 0x81}, {}, true, false, 1, true},
        {"item listed twice", join({{0, 0, 0, 0, 0, 2}, infe, infe}), join({{0, 0, 0, 0, 0x44, 0, 0, 2}, place, place}),
         ipma, {}, true, false, 2, false},
        {"more references than the step budget", iinf, iloc, ipma, box("iref", refs), false, false, 0, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        Bytes file = join(
            {box("ftyp", {'h', 'e', 'i', 'c', 0, 0, 0, 0}),
             box("meta",
                 join({{0, 0, 0, 0},
                       box("pitm", {0, 0, 0, 0, 0, 1}),
                       box("iinf", c.iinf),
                       box("iloc", c.iloc),
                       c.more,
                       box("iprp", join({box("ipco", box("ispe", Bytes(12, 1))), box("ipma", c.ipma)}))}))});
        std::unique_ptr<FILE, int (*)(FILE*)> f(tessary::testing::openMemoryStream(file.data(), file.size()),
                                                fclose);
        ASSERT_TRUE(f);
        const std::optional<decode::heif::Meta> meta = decode::heif::readMeta({f.get(), file.size()});
        ASSERT_EQ(meta.has_value(), c.read) << c.name;
        if (!meta) continue;
        EXPECT_EQ(meta->whole, c.whole) << c.name;
        EXPECT_EQ(meta->locations.count(1), c.listings) << c.name;
        EXPECT_EQ(meta->placeOf(1).size(), c.placed ? 1u : 0u) << c.name;
        EXPECT_NE(meta->property(1, "ispe"), nullptr) << c.name;
    }
}

// ---- SVG ----

intake::FittedPicture fitSvg(const ScratchDir& dir, const std::string& text, int* result) {
    writeBytes(dir.file("p.svg"), Bytes(text.begin(), text.end()));
    intake::FittedPicture fitted;
    *result = intake::decodeFitted(dir.file("p.svg"), Resample::Halftone, fitted);
    return fitted;
}

TEST(Svg, HandDrawnLogoAtItsCssSize) {
    intake::FittedPicture fitted;
    ASSERT_EQ(intake::decodeFitted(ownData("svg/logo.svg"), Resample::Halftone, fitted), kConvertOk);
    ASSERT_EQ(fitted.pixels.width, 64);
    ASSERT_EQ(fitted.pixels.height, 48);
    struct Probe {
        int x, y;
        std::uint8_t rgb[3];
    };
    // The viewBox is twice the size: each rectangle's corners fall on whole pixels.
    const Probe probes[] = {{0, 0, {220, 30, 30}},   {19, 15, {220, 30, 30}}, {20, 16, {255, 255, 255}},
                            {40, 30, {20, 40, 200}}, {63, 47, {20, 40, 200}}, {39, 29, {255, 255, 255}},
                            {20, 20, {0, 0, 0}},     {29, 25, {0, 0, 0}},     {30, 26, {255, 255, 255}}};
    for (const Probe& p : probes)
        EXPECT_EQ(Bytes(fitted.pixels.at(p.x, p.y), fitted.pixels.at(p.x, p.y) + 3), Bytes(p.rgb, p.rgb + 3))
            << "(" << p.x << ", " << p.y << ")";
}

TEST(Svg, OnePixelLineLandsAtItsFittedPosition) {
    ScratchDir dir;
    int result = 0;
    // 980 x 490 is drawn 490 x 245: the line two units wide at x = 490 becomes column 245.
    const auto fitted = fitSvg(dir,
                               R"(<svg xmlns="http://www.w3.org/2000/svg" width="980" height="490">)"
                               R"(<rect x="490" y="0" width="2" height="490" fill="black"/></svg>)",
                               &result);
    ASSERT_EQ(result, kConvertOk);
    EXPECT_EQ(fitted.info.width, 980);
    ASSERT_EQ(fitted.pixels.width, 490);
    ASSERT_EQ(fitted.pixels.height, 245);
    for (int y : {0, 120, 244}) {
        EXPECT_EQ(fitted.pixels.at(244, y)[0], 255);
        EXPECT_EQ(fitted.pixels.at(245, y)[0], 0);
        EXPECT_EQ(fitted.pixels.at(246, y)[0], 255);
    }
}

struct SvgCase {
    const char* name;
    std::string document;
    int result;
    int width, height;  // the own size when accepted
};

std::string manyElements(int n) {
    std::string s = R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" height="10">)";
    for (int i = 1; i < n; ++i) s += "<g/>";
    return s + "</svg>";
}

TEST(Svg, SizeRulesAndRefusals) {
    const SvgCase cases[] = {
        {"css size", R"(<svg xmlns="http://www.w3.org/2000/svg" width="30px" height="20"/>)", kConvertOk, 30,
         20},
        {"units", R"(<svg xmlns="http://www.w3.org/2000/svg" width="1in" height="72pt"/>)", kConvertOk, 96,
         96},
        {"viewBox only", R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 40 10"/>)", kConvertOk, 40,
         10},
        {"width and viewBox", R"(<svg xmlns="http://www.w3.org/2000/svg" width="20" viewBox="0,0,40,10"/>)",
         kConvertOk, 20, 5},
        {"percent falls back",
         R"(<svg xmlns="http://www.w3.org/2000/svg" width="100%" height="100%" viewBox="0 0 8 6"/>)",
         kConvertOk, 8, 6},
        {"no size", R"(<svg xmlns="http://www.w3.org/2000/svg"><rect width="5" height="5"/></svg>)",
         kConvertDecodeFailed, 0, 0},
        {"entities",
         "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;\">]>"
         R"(<svg xmlns="http://www.w3.org/2000/svg" width="5" height="5"><text>&b;</text></svg>)",
         kConvertRefused, 0, 0},
        {"too many elements", manyElements(render::kMaxSvgElements + 1), kConvertDecodeFailed, 0, 0},
        {"just enough elements", manyElements(render::kMaxSvgElements), kConvertOk, 10, 10},
        {"cut off", R"(<svg xmlns="http://www.w3.org/2000/svg" width="5" height="5"><rect width="2")",
         kConvertDecodeFailed, 0, 0},
        {"other XML", R"(<html><body>svg</body></html>)", kConvertRefused, 0, 0},
        {"too large",
         R"(<svg xmlns="http://www.w3.org/2000/svg" width="5" height="5">)" +
             std::string(render::kMaxSvgBytes, ' ') + "</svg>",
         kConvertDecodeFailed, 0, 0},
    };
    ScratchDir dir;
    for (const SvgCase& c : cases) {
        int result = 0;
        const auto fitted = fitSvg(dir, c.document, &result);
        EXPECT_EQ(result == kConvertOk, c.result == kConvertOk) << c.name << ": " << result;
        if (result == kConvertOk) {
            EXPECT_EQ(fitted.info.width, c.width) << c.name;
            EXPECT_EQ(fitted.info.height, c.height) << c.name;
        }
    }
}

// ---- typed text ----

TEST(TypedText, FilledToTheFieldIsTakenInLikeAPicture) {
    struct TextCase {
        const char* text;
        bool fillsWidth;  // else the height
    };
    const TextCase cases[] = {{"A long single line of text to engrave", true},
                              {"1\n2\n3\n4\n5\n6", false},
                              {"Ünïcödé ✓ 中文", true}};
    ScratchDir dir;
    for (const TextCase& c : cases) {
        Headless around(dir.file("preview.bmp"));
        intake::ImageState state;
        intake::TypedText typed{c.text, {}};
        typed.style.fillWidth = true;
        ASSERT_EQ(intake::takeInText(state, around, typed), intake::IntakeResult::Prepared) << c.text;
        const std::size_t at = around.logged.find("Image resolution:");
        ASSERT_NE(at, std::string::npos);
        const int w = std::atoi(around.logged.c_str() + at + 17);
        const int h = std::atoi(around.logged.c_str() + around.logged.find('*', at) + 1);
        EXPECT_EQ(c.fillsWidth ? w : h, 490) << c.text;
        EXPECT_LT(c.fillsWidth ? h : w, 490) << c.text;
        EXPECT_EQ(around.logged, std::string(intake::kLogOriginal) + intake::resolutionLine(w, h) +
                                     std::string(intake::kLogConverted));

        // Reload renders it again, to the same engraving.
        const Bytes engraving = state.engraving.ToByteSet();
        around.logged.clear();
        intake::reload(state, around);
        EXPECT_EQ(around.logged, std::string(intake::kLogOriginal) + intake::resolutionLine(w, h) +
                                     std::string(intake::kLogConverted));
        EXPECT_EQ(state.engraving.ToByteSet(), engraving);
    }
}

TEST(TypedText, EmptyTextChangesNothing) {
    ScratchDir dir;
    Headless around(dir.file("preview.bmp"));
    intake::ImageState state;
    ASSERT_EQ(intake::takeIn(state, around, ownData("gif/plain.gif")), intake::IntakeResult::Prepared);
    const Bytes preview = readBytes(dir.file("preview.bmp"));
    const Bytes engraving = state.engraving.ToByteSet();
    const Raster canvas = around.canvas();
    around.logged.clear();
    // Zero-width spaces are not white space, yet draw nothing.
    for (const char* blank : {"", " \n\t\r\n ", "\u200B\u200B"}) {
        EXPECT_EQ(intake::takeInText(state, around, {blank, {}}), intake::IntakeResult::NoText) << blank;
    }
    EXPECT_EQ(around.noTexts, 3);
    EXPECT_EQ(around.logged, "");
    EXPECT_EQ(readBytes(dir.file("preview.bmp")), preview);
    EXPECT_EQ(state.engraving.ToByteSet(), engraving);
    EXPECT_EQ(around.canvas().rgb, canvas.rgb);
    EXPECT_EQ(state.droppedFileName, ownData("gif/plain.gif"));
    EXPECT_FALSE(state.typedText);
}

}  // namespace
}  // namespace tessary::image::testing
