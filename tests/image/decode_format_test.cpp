// SPDX-License-Identifier: GPL-3.0-or-later
// Decoder behaviour on files made here: alpha over white, pictures that claim enormous sizes, the BMP,
// TIFF and Photo CD rules, and DCT-scaled JPEG decoding.
#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>
#include <zlib.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "decode_test_support.h"

namespace tessary::image::testing {
namespace {

using Rgb = std::array<int, 3>;
using Rgba = std::array<int, 4>;

int decodeFile(const std::string& path, CheckingSink& sink, const DecodeOptions& options = {}) {
    DecodeInfo info;
    return decodePicture(path, sink, options, &info);
}

Rgb pixel(const Raster& r, int x, int y) {
    const std::uint8_t* p = r.at(x, y);
    return {p[0], p[1], p[2]};
}

// ---- alpha over white ----

bool writePng(const std::string& path, png_uint_32 format, int width, const std::vector<std::uint8_t>& pixels,
              const std::vector<std::uint8_t>& colormap = {}) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = 1;
    image.format = format;
    image.colormap_entries = static_cast<png_uint_32>(colormap.size() / 4);
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0,
                                            colormap.empty() ? nullptr : colormap.data());
    png_image_free(&image);
    return ok;
}

bool writeTiff(const std::string& path, int width, int height, int samples, int photometric, int extraSample,
               int orientation, const std::vector<std::uint8_t>& pixels) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ORIENTATION, orientation);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 1);
    if (extraSample != 0) {
        const std::uint16_t kinds[] = {static_cast<std::uint16_t>(extraSample)};
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, kinds);
    }
    bool ok = true;
    for (int y = 0; y < height; ++y)
        ok = ok &&
             TIFFWriteScanline(t, const_cast<std::uint8_t*>(pixels.data()) + y * width * samples, y) == 1;
    TIFFClose(t);
    return ok;
}

struct AlphaCase {
    const char* name;
    // Writes a one-row picture of the three pixels: opaque, fully transparent, half transparent.
    std::function<bool(const std::string&)> write;
    std::array<Rgb, 3> expected;
};

std::vector<std::uint8_t> flatten(std::initializer_list<std::initializer_list<int>> px) {
    std::vector<std::uint8_t> out;
    for (const auto& p : px)
        for (int v : p) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

const AlphaCase kAlphaCases[] = {
    {"png_rgba",
     [](const std::string& p) {
         return writePng(p, PNG_FORMAT_RGBA, 3,
                         flatten({{10, 200, 30, 255}, {0, 0, 0, 0}, {0, 64, 128, 128}}));
     },
     {{{10, 200, 30}, {255, 255, 255}, {127, 159, 191}}}},
    {"png_grey_alpha",
     [](const std::string& p) {
         return writePng(p, PNG_FORMAT_GA, 3, flatten({{77, 255}, {0, 0}, {0, 128}}));
     },
     {{{77, 77, 77}, {255, 255, 255}, {127, 127, 127}}}},
    {"png_palette_transparency",
     [](const std::string& p) {
         return writePng(p, PNG_FORMAT_RGBA_COLORMAP, 3, flatten({{0, 1, 2}}),
                         flatten({{10, 200, 30, 255}, {0, 0, 0, 0}, {0, 64, 128, 128}}));
     },
     {{{10, 200, 30}, {255, 255, 255}, {127, 159, 191}}}},
    {"tiff_rgb_unassociated",
     [](const std::string& p) {
         return writeTiff(p, 3, 1, 4, PHOTOMETRIC_RGB, EXTRASAMPLE_UNASSALPHA, ORIENTATION_TOPLEFT,
                          flatten({{10, 200, 30, 255}, {0, 0, 0, 0}, {0, 64, 128, 128}}));
     },
     {{{10, 200, 30}, {255, 255, 255}, {127, 159, 191}}}},
    {"tiff_rgb_associated",
     [](const std::string& p) {
         return writeTiff(p, 3, 1, 4, PHOTOMETRIC_RGB, EXTRASAMPLE_ASSOCALPHA, ORIENTATION_TOPLEFT,
                          flatten({{10, 200, 30, 255}, {0, 0, 0, 0}, {0, 32, 64, 128}}));
     },
     {{{10, 200, 30}, {255, 255, 255}, {127, 159, 191}}}},
    {"tiff_grey_unassociated",
     [](const std::string& p) {
         return writeTiff(p, 3, 1, 2, PHOTOMETRIC_MINISBLACK, EXTRASAMPLE_UNASSALPHA, ORIENTATION_TOPLEFT,
                          flatten({{77, 255}, {0, 0}, {64, 128}}));
     },
     {{{77, 77, 77}, {255, 255, 255}, {159, 159, 159}}}},
    {"tiff_grey_associated",
     [](const std::string& p) {
         return writeTiff(p, 3, 1, 2, PHOTOMETRIC_MINISBLACK, EXTRASAMPLE_ASSOCALPHA, ORIENTATION_TOPLEFT,
                          flatten({{77, 255}, {0, 0}, {32, 128}}));
     },
     {{{77, 77, 77}, {255, 255, 255}, {159, 159, 159}}}},
};

class AlphaOverWhite : public ::testing::TestWithParam<AlphaCase> {};

TEST_P(AlphaOverWhite, OpaqueKeptExactlyTransparentWhiteHalfBlended) {
    ScratchDir dir;
    const std::string path = dir.file("alpha");
    ASSERT_TRUE(GetParam().write(path));
    CheckingSink sink;
    ASSERT_EQ(decodeFile(path, sink), kConvertOk);
    const auto& want = GetParam().expected;
    EXPECT_EQ(pixel(sink.picture, 0, 0), want[0]);
    EXPECT_EQ(pixel(sink.picture, 1, 0), want[1]);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(pixel(sink.picture, 2, 0)[i], want[2][i], 1) << "channel " << i;
}

INSTANTIATE_TEST_SUITE_P(Formats, AlphaOverWhite, ::testing::ValuesIn(kAlphaCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- decompression bombs ----

Bytes pngChunk(const char* type, const Bytes& data) {
    Bytes c(8);
    put32(c, 0, 0);
    for (int i = 0; i < 4; ++i) c[i] = static_cast<std::uint8_t>(data.size() >> (24 - 8 * i));
    std::memcpy(c.data() + 4, type, 4);
    c.insert(c.end(), data.begin(), data.end());
    const uLong crc = crc32(crc32(0, nullptr, 0), c.data() + 4, static_cast<uInt>(c.size() - 4));
    for (int i = 0; i < 4; ++i) c.push_back(static_cast<std::uint8_t>(crc >> (24 - 8 * i)));
    return c;
}

Bytes tinyPng(std::uint32_t width, std::uint32_t height, std::uint8_t depth = 8, std::uint8_t colour = 2,
              std::uint8_t interlace = 0) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr(13, 0);
    for (int i = 0; i < 4; ++i) {
        ihdr[i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        ihdr[4 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    ihdr[8] = depth;
    ihdr[9] = colour;
    ihdr[12] = interlace;
    Bytes raw(4096, 0), packed(compressBound(raw.size()));
    uLongf packedSize = packed.size();
    compress(packed.data(), &packedSize, raw.data(), raw.size());
    packed.resize(packedSize);
    for (const Bytes& c : {pngChunk("IHDR", ihdr), pngChunk("IDAT", packed), pngChunk("IEND", {})})
        png.insert(png.end(), c.begin(), c.end());
    return png;
}

// Little-endian TIFF, one strip of RGB, the strip offset pointing at a few bytes of data.
Bytes tinyTiff(std::uint32_t width, std::uint32_t height) {
    const std::uint16_t tags[][2] = {{256, 4}, {257, 4}, {258, 3}, {259, 3}, {262, 3},
                                     {273, 4}, {277, 3}, {278, 4}, {279, 4}};
    const std::uint32_t values[] = {width, height, 8, 1, 2, 200, 3, height, 64};
    Bytes t = {'I', 'I', 42, 0};
    put32(t, 4, 8);
    put16(t, 8, 9);
    for (int i = 0; i < 9; ++i) {
        const std::size_t at = 10 + i * 12;
        put16(t, at, tags[i][0]);
        put16(t, at + 2, tags[i][1]);
        put32(t, at + 4, 1);
        put32(t, at + 8, values[i]);
    }
    put32(t, 10 + 9 * 12, 0);
    t.resize(264, 0x80);
    return t;
}

Bytes pcxHeader(int width, int height, int planes) {
    Bytes p(128, 0);
    p[0] = 10, p[1] = 5, p[2] = 1, p[3] = 8, p[65] = static_cast<std::uint8_t>(planes);
    put16(p, 8, width - 1);
    put16(p, 10, height - 1);
    put16(p, 66, width);
    return p;
}

struct BombCase {
    const char* name;
    Bytes file;
};

TEST(DecompressionBomb, HugeClaimedSizesAreRefusedBeforeTheSinkStarts) {
    Bytes bmp = bmp24Header(10000, 10000);  // within the pixel limit, but the rows are not in the file
    bmp.resize(2000);
    Bytes pcx = pcxHeader(10000, 10000, 3);
    pcx.resize(5000, 0xFF);
    const BombCase cases[] = {
        {"png 60000 x 60000", tinyPng(60000, 60000)},
        {"png of 16 bits 30000 x 30000", tinyPng(30000, 30000, 16)},
        // Interlaced pictures are held whole: 16-bit RGBA may take no more than the largest 8-bit one.
        {"png of 16 bits with alpha, interlaced, 8000 x 8000", tinyPng(8000, 8000, 16, 6, 1)},
        {"tiff 60000 x 60000", tinyTiff(60000, 60000)},
        {"bmp 10000 x 10000 in 2 kB", bmp},
        {"pcx 10000 x 10000 in 5 kB", pcx},
    };
    ScratchDir dir;
    for (const BombCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("bomb");
        writeBytes(path, c.file);
        CheckingSink sink;
        EXPECT_EQ(decodeFile(path, sink), kConvertDecodeFailed);
        EXPECT_EQ(sink.begins, 0);
    }
}

std::filesystem::path corpus(const char* file) { return std::filesystem::path(TESSARY_TESTDATA_DIR) / file; }

// A corpus JPEG with the frame header's size changed; its data then runs out early, which is fine here.
Bytes jpegClaiming(const char* file, std::uint16_t width, std::uint16_t height) {
    Bytes j = readBytes(corpus(file).string());
    for (std::size_t i = 2; i + 9 < j.size() && j[i] == 0xFF; i += 2 + (j[i + 2] << 8 | j[i + 3]))
        if (const int m = j[i + 1]; m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            j[i + 5] = height >> 8, j[i + 6] = height & 0xFF, j[i + 7] = width >> 8, j[i + 8] = width & 0xFF;
            return j;
        }
    return {};
}

TEST(DecompressionBomb, ScaledSequentialJpegMayBeLargerThanDeliveredLimit) {
    ASSERT_TRUE(std::filesystem::exists(corpus("jpeg/hopper.jpg")))
        << "test picture missing in " << TESSARY_TESTDATA_DIR;
    struct Case {
        const char* file;
        std::uint16_t side;
        bool scaled;
        bool sinkStarts;
    };
    const Case cases[] = {
        {"jpeg/hopper.jpg", 30000, false, false},          // 900 MP in full
        {"jpeg/hopper.jpg", 30000, true, true},            // 900 MP at 1/8: 14 MP delivered
        {"jpeg/hopper.jpg", 65000, true, false},           // 4.2 GP even at 1/8
        {"jpeg/progressive_cat.jpg", 30000, true, false},  // progressive: full-size coefficients
        {"jpeg/testimgari.jpg", 30000, true, false},       // arithmetic: a cut-off scan is not reported
    };
    ScratchDir dir;
    DecodeOptions small;
    small.drawnSize = [](int, int) { return std::pair{490, 490}; };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.side) + (c.scaled ? " scaled" : " full"));
        const std::string path = dir.file("claim.jpg");
        const Bytes claim = jpegClaiming(c.file, c.side, c.side);
        ASSERT_FALSE(claim.empty()) << "no frame header found";
        writeBytes(path, claim);
        CheckingSink sink;
        EXPECT_EQ(decodeFile(path, sink, c.scaled ? small : DecodeOptions{}), kConvertDecodeFailed);
        EXPECT_EQ(sink.begins, c.sinkStarts ? 1 : 0);
    }
}

// ---- BMP rules ----

TEST(BmpDecoder, HeaderVariants) {
    struct Case {
        const char* name;
        std::function<void(Bytes&)> change;
        int result;
    };
    const Case cases[] = {
        {"plain", [](Bytes&) {}, kConvertOk},
        {"run-length 8 on 24 bits", [](Bytes& b) { put32(b, 30, 1); }, kConvertDecodeFailed},
        {"run-length 4 on 24 bits", [](Bytes& b) { put32(b, 30, 2); }, kConvertDecodeFailed},
        {"bit fields, plain masks",
         [](Bytes& b) {
             put32(b, 30, 3);
             Bytes masks(12);
             put32(masks, 0, 0xFF0000), put32(masks, 4, 0xFF00), put32(masks, 8, 0xFF);
             b.insert(b.begin() + 54, masks.begin(), masks.end());
             put32(b, 10, 66);
         },
         kConvertOk},
        {"bit fields, other masks",
         [](Bytes& b) {
             put32(b, 30, 3);
             Bytes masks(12);
             put32(masks, 0, 0xFF), put32(masks, 4, 0xFF00), put32(masks, 8, 0xFF0000);
             b.insert(b.begin() + 54, masks.begin(), masks.end());
             put32(b, 10, 66);
         },
         kConvertDecodeFailed},
        {"pixel offset inside the header", [](Bytes& b) { put32(b, 10, 40); }, kConvertDecodeFailed},
        {"last row without its padding", [](Bytes& b) { b.resize(b.size() - 2); }, kConvertOk},
        {"last row one byte short", [](Bytes& b) { b.resize(b.size() - 3); }, kConvertDecodeFailed},
    };
    // 2 x 2, bottom-up: stored rows are the bottom (blue, white) then the top (red, green), 2 bytes padding.
    Bytes base = bmp24Header(2, 2);
    for (int v : {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0}) base.push_back(v);
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = base;
        c.change(file);
        const std::string path = dir.file("variant.bmp");
        writeBytes(path, file);
        CheckingSink sink;
        ASSERT_EQ(decodeFile(path, sink), c.result);
        if (c.result != kConvertOk) continue;
        EXPECT_TRUE(sink.everyRowOnce());
        EXPECT_EQ(pixel(sink.picture, 0, 0), (Rgb{255, 0, 0}));
        EXPECT_EQ(pixel(sink.picture, 1, 0), (Rgb{0, 255, 0}));
        EXPECT_EQ(pixel(sink.picture, 0, 1), (Rgb{0, 0, 255}));
        EXPECT_EQ(pixel(sink.picture, 1, 1), (Rgb{255, 255, 255}));
    }
}

// ---- TIFF orientation across row bands ----

TEST(TiffDecoder, BottomUpFilesComeOutTheRightWayUp) {
    constexpr int kHeight = 150;  // more rows than one band
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < 2; ++x) rows.insert(rows.end(), {static_cast<std::uint8_t>(y), 0, 0});
    ScratchDir dir;
    for (int orientation : {ORIENTATION_TOPLEFT, ORIENTATION_BOTLEFT}) {
        SCOPED_TRACE(orientation);
        const std::string path = dir.file("o.tif");
        ASSERT_TRUE(writeTiff(path, 2, kHeight, 3, PHOTOMETRIC_RGB, 0, orientation, rows));
        CheckingSink sink;
        ASSERT_EQ(decodeFile(path, sink), kConvertOk);
        ASSERT_TRUE(sink.everyRowOnce());
        for (int y = 0; y < kHeight; ++y) {
            const int stored = orientation == ORIENTATION_TOPLEFT ? y : kHeight - 1 - y;
            ASSERT_EQ(pixel(sink.picture, 1, y)[0], stored) << "row " << y;
        }
    }
}

// ---- Photo CD ----

TEST(PhotoCdDecoder, SizeSignatureAndBaseImageDecide) {
    struct Case {
        const char* name;
        std::size_t size;
        std::size_t signatureAt;
        int result;
    };
    const Case cases[] = {
        {"smallest pack", 1'048'576, 2048, kConvertOk},
        {"one byte too small", 1'048'575, 2048, kConvertRefused},
        {"no signature", 1'048'576, 0, kConvertRefused},
        {"signature elsewhere", 1'048'576, 2049, kConvertRefused},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A grey base image: luma 100 then 50 in each pair of rows, neutral chroma (156, 137).
        Bytes pack(c.size, 0);
        if (c.signatureAt) std::memcpy(pack.data() + c.signatureAt, "PCD_IPI", 7);
        for (int pair = 0; pair < 256; ++pair) {
            std::uint8_t* p = pack.data() + 0x30000 + pair * 2304;
            std::memset(p, 100, 768), std::memset(p + 768, 50, 768);
            std::memset(p + 1536, 156, 384), std::memset(p + 1920, 137, 384);
        }
        writeBytes(dir.file("p.pcd"), pack);
        CheckingSink sink;
        ASSERT_EQ(decodeFile(dir.file("p.pcd"), sink), c.result);
        if (c.result != kConvertOk) continue;
        EXPECT_EQ(sink.picture.width, 768);
        EXPECT_EQ(sink.picture.height, 512);
        EXPECT_TRUE(sink.everyRowOnce());
        EXPECT_EQ(pixel(sink.picture, 767, 510), (Rgb{136, 136, 136}));  // 1.3584 x 100
        EXPECT_EQ(pixel(sink.picture, 767, 511), (Rgb{68, 68, 68}));
    }
}

// ---- JPEG inks ----

// A damaged Adobe marker is passed over, as libjpeg passes it: the inks are read as stored, as in a file
// without one. A marker that runs past the end of the file fails the decoding.
TEST(JpegDecoder, BrokenAdobeMarker) {
    const std::string path = corpus("layouts/cmyk_plain.jpg").string();
    Raster plain;
    ASSERT_EQ(decodePicture(path, plain, nullptr), kConvertOk) << path;
    auto withMarker = [&](const Bytes& marker) {
        Bytes file = readBytes(path);
        file.insert(file.begin() + 2, marker.begin(), marker.end());
        return file;
    };
    ScratchDir dir;
    writeBytes(dir.file("cut.jpg"), withMarker({0xFF, 0xEE, 0, 8, 'A', 'd', 'o', 'b', 'e', 0}));
    Raster cut;
    ASSERT_EQ(decodePicture(dir.file("cut.jpg"), cut, nullptr), kConvertOk);
    EXPECT_EQ(cut.rgb, plain.rgb);
    writeBytes(dir.file("long.jpg"),
               withMarker({0xFF, 0xEE, 0xFF, 0xFF, 'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, 2}));
    EXPECT_NE(decodePicture(dir.file("long.jpg"), cut, nullptr), kConvertOk);
}

// ---- DCT-scaled JPEG ----

TEST(JpegDecoder, ScaledDecodeIsTheSmallestScaleCoveringTheDrawnSize) {
    const std::string path = corpus("jpeg/Landscape_1.jpg").string();  // 1800 x 1200, baseline
    ASSERT_TRUE(std::filesystem::exists(path)) << "test picture missing: " << path;
    struct Case {
        int drawnWidth, drawnHeight, width, height;
    };
    const Case cases[] = {
        {490, 327, 675, 450},     {225, 150, 225, 150},     {226, 150, 450, 300},
        {1800, 1200, 1800, 1200}, {5000, 5000, 1800, 1200}, {0, 0, 225, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.drawnWidth) + " x " + std::to_string(c.drawnHeight));
        DecodeOptions options;
        options.drawnSize = [&c](int w, int h) {
            EXPECT_EQ(w, 1800);
            EXPECT_EQ(h, 1200);
            return std::pair{c.drawnWidth, c.drawnHeight};
        };
        CheckingSink sink;
        DecodeInfo info;
        ASSERT_EQ(decodePicture(path, sink, options, &info), kConvertOk);
        EXPECT_EQ(sink.picture.width, c.width);
        EXPECT_EQ(sink.picture.height, c.height);
        EXPECT_TRUE(sink.everyRowOnce());
        EXPECT_EQ(info.width, 1800);
        EXPECT_EQ(info.height, 1200);
    }
}

TEST(JpegDecoder, ScaledDecodeMatchesTheFullDecodeAveraged) {
    const std::string path = corpus("jpeg/Landscape_1.jpg").string();
    ASSERT_TRUE(std::filesystem::exists(path)) << "test picture missing: " << path;
    Raster full;
    ASSERT_EQ(decodePicture(path, full, nullptr), kConvertOk);
    for (int factor : {2, 4, 8}) {
        SCOPED_TRACE(factor);
        DecodeOptions options;
        options.drawnSize = [factor](int w, int h) { return std::pair{w / factor, h / factor}; };
        CheckingSink sink;
        ASSERT_EQ(decodeFile(path, sink, options), kConvertOk);
        ASSERT_EQ(sink.picture.width, full.width / factor);
        double sum = 0;
        for (int y = 0; y < sink.picture.height; ++y)
            for (int x = 0; x < sink.picture.width; ++x)
                for (int i = 0; i < 3; ++i) {
                    int block = 0;
                    for (int dy = 0; dy < factor; ++dy)
                        for (int dx = 0; dx < factor; ++dx)
                            block += full.at(x * factor + dx, y * factor + dy)[i];
                    sum +=
                        std::abs(sink.picture.at(x, y)[i] - static_cast<double>(block) / (factor * factor));
                }
        EXPECT_LT(sum / sink.picture.rgb.size(), 2.0);
    }
}

}  // namespace
}  // namespace tessary::image::testing
