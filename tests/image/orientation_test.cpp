// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures stored turned or mirrored (orientations 1..8 in a JPEG's EXIF block or a TIFF's tag) come out
// upright from the fitting; malformed EXIF blocks leave the picture as stored.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "decode_test_support.h"
#include "image/decode/exif.h"
#include "intake/fitted_picture.h"

namespace tessary::image::testing {
namespace {

// Upright 640 x 400: a red square in the top-left corner, a blue one in the top-right, white elsewhere.
constexpr int kUprightWidth = 640, kUprightHeight = 400, kMark = 60;

enum Corner { TopLeft, TopRight, BottomLeft, BottomRight };

struct OrientationCase {
    int orientation;
    Corner red;   // where the camera stored the upright top-left corner
    Corner blue;  // and the upright top-right corner
};

// From the definition of each value: which stored corner the upright corners are found in.
const OrientationCase kCases[] = {
    {1, TopLeft, TopRight},       {2, TopRight, TopLeft},     {3, BottomRight, BottomLeft},
    {4, BottomLeft, BottomRight}, {5, TopLeft, BottomLeft},   {6, BottomLeft, TopLeft},
    {7, BottomRight, TopRight},   {8, TopRight, BottomRight},
};

Raster storedPicture(const OrientationCase& c) {
    const bool turned = c.orientation >= 5;
    Raster r(turned ? kUprightHeight : kUprightWidth, turned ? kUprightWidth : kUprightHeight);
    auto paint = [&r](Corner corner, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        const int left = corner == TopLeft || corner == BottomLeft ? 0 : r.width - kMark;
        const int top = corner == TopLeft || corner == TopRight ? 0 : r.height - kMark;
        for (int y = top; y < top + kMark; ++y)
            for (int x = left; x < left + kMark; ++x) {
                std::uint8_t* p = r.at(x, y);
                p[0] = red, p[1] = green, p[2] = blue;
            }
    };
    std::fill(r.rgb.begin(), r.rgb.end(), 255);
    paint(c.red, 255, 0, 0);
    paint(c.blue, 0, 0, 255);
    return r;
}

// An EXIF block with one IFD entry: Orientation, a SHORT of the given value.
Bytes exifBlock(int orientation, bool bigEndian) {
    Bytes b = {'E', 'x', 'i', 'f', 0, 0};
    auto u16 = [&b, bigEndian](unsigned v) {
        const std::uint8_t hi = static_cast<std::uint8_t>(v >> 8), lo = static_cast<std::uint8_t>(v);
        b.push_back(bigEndian ? hi : lo);
        b.push_back(bigEndian ? lo : hi);
    };
    auto u32 = [&u16, bigEndian](unsigned v) {
        u16(bigEndian ? v >> 16 : v & 0xFFFF);
        u16(bigEndian ? v & 0xFFFF : v >> 16);
    };
    b.push_back(bigEndian ? 'M' : 'I');
    b.push_back(bigEndian ? 'M' : 'I');
    u16(42), u32(8), u16(1);
    u16(0x0112), u16(3), u32(1), u16(static_cast<unsigned>(orientation)), u16(0);
    u32(0);
    return b;
}

bool writeJpeg(const std::string& path, const Raster& r, const Bytes& exif) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(r.width);
    cinfo.image_height = static_cast<JDIMENSION>(r.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (!exif.empty())
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(r.at(0, static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(f) == 0;
}

bool writeTiff(const std::string& path, const Raster& r, int orientation) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, r.width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, r.height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(t, TIFFTAG_ORIENTATION, orientation);
    bool ok = true;
    for (int y = 0; y < r.height; ++y)
        ok = ok && TIFFWriteScanline(t, const_cast<std::uint8_t*>(r.at(0, y)), y) == 1;
    TIFFClose(t);
    return ok;
}

class Orientation : public ::testing::TestWithParam<std::tuple<OrientationCase, bool>> {};

TEST_P(Orientation, MarkedCornersLandUpright) {
    const auto& [c, jpeg] = GetParam();
    ScratchDir dir;
    const std::string path = dir.file(jpeg ? "p.jpg" : "p.tif");
    const Raster stored = storedPicture(c);
    ASSERT_TRUE(jpeg ? writeJpeg(path, stored, exifBlock(c.orientation, c.orientation % 2 == 1))
                     : writeTiff(path, stored, c.orientation));

    intake::FittedPicture fitted;
    ASSERT_EQ(intake::decodeFitted(path, Resample::Halftone, fitted), kConvertOk);
    EXPECT_EQ(fitted.info.width, kUprightWidth);
    EXPECT_EQ(fitted.info.height, kUprightHeight);
    const Raster& p = fitted.pixels;
    ASSERT_EQ(p.width, 490);
    ASSERT_EQ(p.height, 306);
    struct Probe {
        int x, y;
        std::uint8_t rgb[3];
    };
    const Probe probes[] = {{10, 10, {255, 0, 0}},
                            {479, 10, {0, 0, 255}},
                            {10, 295, {255, 255, 255}},
                            {479, 295, {255, 255, 255}},
                            {245, 153, {255, 255, 255}}};
    for (const Probe& probe : probes)
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(p.at(probe.x, probe.y)[i], probe.rgb[i], 24)
                << "(" << probe.x << ", " << probe.y << ")";

    // The whole-picture reading (the converter's) is upright too.
    Raster whole;
    ASSERT_EQ(decodePicture(path, whole, nullptr), kConvertOk);
    ASSERT_EQ(whole.width, kUprightWidth);
    EXPECT_NEAR(whole.at(5, 5)[0], 255, 24);
    EXPECT_NEAR(whole.at(kUprightWidth - 5, 5)[2], 255, 24);
    EXPECT_NEAR(whole.at(kUprightWidth - 5, 5)[0], 0, 24);
}

INSTANTIATE_TEST_SUITE_P(JpegAndTiff, Orientation,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<1>(info.param) ? "jpeg_" : "tiff_") +
                                    std::to_string(std::get<0>(info.param).orientation);
                         });

// Blocks that name no usable orientation: the picture is taken as stored.
TEST(ExifOrientation, MalformedBlocksGiveOne) {
    const Bytes good = exifBlock(6, true);
    ASSERT_EQ(decode::exifOrientation(good.data(), good.size()), 6);
    auto with = [&good](std::size_t at, std::uint8_t value) {
        Bytes b = good;
        b[at] = value;
        return b;
    };
    const std::vector<Bytes> malformed = {
        Bytes(good.begin(), good.begin() + 20),  // cut inside the entry
        exifBlock(9, false),                     // no such orientation
        exifBlock(0, true),
        with(0, 'e'),    // not an EXIF block
        with(6, 'X'),    // neither byte order
        with(9, 43),     // not a TIFF structure
        with(13, 200),   // first IFD beyond the block
        with(19, 4),     // a LONG, not a SHORT
        with(23, 2),     // two values
        with(17, 0x13),  // another tag
    };
    for (std::size_t i = 0; i < malformed.size(); ++i)
        EXPECT_EQ(decode::exifOrientation(malformed[i].data(), malformed[i].size()), 1) << "case " << i;
    EXPECT_EQ(decode::exifOrientation(nullptr, 0), 1);
}

}  // namespace
}  // namespace tessary::image::testing
