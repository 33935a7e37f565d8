// SPDX-License-Identifier: GPL-3.0-or-later
// Uncompressed 8-bit RGB TIFF strips read whole: every row in place, and strips counted shorter than their
// rows still refused, as when they are read row by row.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <filesystem>
#include <functional>
#include <string>

#include "decode_test_support.h"

namespace tessary::image::testing {
namespace {

constexpr int kWidth = 37;
constexpr int kHeight = 50;

std::uint8_t sample(int x, int y, int c) { return static_cast<std::uint8_t>(x * 5 + y * 3 + c * 80); }

bool writePlainTiff(const std::string& path, int rowsPerStrip, int width) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    bool ok = true;
    Bytes row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) row[x * 3 + c] = sample(x, y, c);
        ok = ok && TIFFWriteScanline(t, row.data(), y) == 1;
    }
    TIFFClose(t);
    return ok;
}

// libtiff writes the strips first and the directory after them; the byte counts are found there by value,
// as 16-bit or 32-bit numbers.
void shortenStripCounts(Bytes& file, std::uint32_t from, std::uint32_t to) {
    for (std::size_t at = 8 + kWidth * kHeight * 3; at + 2 <= file.size(); at += 2)
        if (get16(file, at) == from) put16(file, at, to);
}

TEST(PlainTiff, StripsReadWholeOrRefused) {
    const std::size_t rowBytes = kWidth * 3;
    struct Case {
        const char* name;
        int rowsPerStrip;
        std::function<void(Bytes&)> spoil;
        int result;
        bool split = false;  // a sink that takes the later strips on a second thread
        int width = kWidth;
    };
    const Case cases[] = {
        {"one row a strip", 1, {}, kConvertOk},
        {"8 rows a strip, a shorter last one", 8, {}, kConvertOk},
        {"one strip", kHeight, {}, kConvertOk},
        {"one row a strip, in two bands", 1, {}, kConvertOk, true},
        {"8 rows a strip, in two bands", 8, {}, kConvertOk, true},
        {"too few strips for two bands", 16, {}, kConvertOk, true},
        {"strips larger than one read, in two bands", 16, {}, kConvertOk, true, 3001},
        {"strips counted shorter than their rows", 8,
         [&](Bytes& f) {
             shortenStripCounts(f, static_cast<std::uint32_t>(8 * rowBytes),
                                static_cast<std::uint32_t>(8 * rowBytes - 5));
         },
         kConvertDecodeFailed},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("p.tif");
        ASSERT_TRUE(writePlainTiff(path, c.rowsPerStrip, c.width));
        if (c.spoil) {
            Bytes file = readBytes(path);
            c.spoil(file);
            writeBytes(path, file);
        }
        CheckingSink sink;
        sink.split = c.split;
        DecodeInfo info;
        ASSERT_EQ(decodePicture(path, sink, DecodeOptions{}, &info), c.result);
        if (c.result != kConvertOk) continue;
        ASSERT_TRUE(sink.everyRowOnce());
        EXPECT_EQ(sink.band != nullptr, c.split && (kHeight + c.rowsPerStrip - 1) / c.rowsPerStrip >= 4);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < c.width; ++x)
                for (int ch = 0; ch < 3; ++ch)
                    ASSERT_EQ(sink.picture.at(x, y)[ch], sample(x, y, ch)) << x << "," << y;
    }
}

}  // namespace
}  // namespace tessary::image::testing
