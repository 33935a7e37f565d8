// SPDX-License-Identifier: GPL-3.0-or-later
// The PNG fast path against libpng's own row reading: the same outcome and the same pixels, for the
// corpus, the benchmark picture, and built files that take each colour type, filter and fault.
#include <gtest/gtest.h>
#include <stdio.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "decode_test_support.h"
#include "image/decode/decoders.h"
#include "support/memory_stream.h"

namespace tessary::image::testing {
namespace {

struct Outcome {
    int result = 0;
    DecodeInfo info;
    CheckingSink sink;
};

using Decoder = int (*)(const decode::Input&, RowSink&, const DecodeOptions&, DecodeInfo*);

struct Closer {
    void operator()(FILE* f) const { fclose(f); }
};

void decodeBytes(const Bytes& bytes, Decoder decoder, Outcome& out) {
    std::unique_ptr<FILE, Closer> f(tessary::testing::openMemoryStream(bytes.data(), bytes.size()));
    ASSERT_TRUE(f);
    out.result = decoder(decode::Input{f.get(), bytes.size()}, out.sink, DecodeOptions{}, &out.info);
}

// Same result; on success the same size, every row once and the same pixels.
void expectSameAsLibpng(const Bytes& bytes, const std::string& what) {
    Outcome fast, reference;
    decodeBytes(bytes, decode::decodePng, fast);
    decodeBytes(bytes, decode::decodePngThroughLibpng, reference);
    EXPECT_EQ(fast.result, reference.result) << what;
    if (fast.result != kConvertOk || reference.result != kConvertOk) return;
    EXPECT_TRUE(fast.sink.everyRowOnce()) << what;
    EXPECT_EQ(fast.info.width, reference.info.width) << what;
    EXPECT_EQ(fast.info.height, reference.info.height) << what;
    EXPECT_EQ(fast.sink.picture.width, reference.sink.picture.width) << what;
    EXPECT_EQ(fast.sink.picture.height, reference.sink.picture.height) << what;
    EXPECT_TRUE(fast.sink.picture.rgb == reference.sink.picture.rgb) << what << ": pixels differ";
}

// ---- building PNG files ----

void putBe32(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}

void chunk(Bytes& png, const char* type, const Bytes& data, bool goodCrc = true) {
    putBe32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    uLong crc = crc32(0, png.data() + start, static_cast<uInt>(png.size() - start));
    putBe32(png, static_cast<std::uint32_t>(goodCrc ? crc : crc ^ 1));
}

struct PngSpec {
    const char* name;
    int colorType;
    int width, height;
    Bytes plte = {};
    Bytes trns = {};
    int filter = -1;                // -1: the row number mod 5
    std::size_t idatPiece = 40000;  // the compressed stream is cut into IDAT chunks this long
    std::function<void(Bytes& filtered)> spoilRows = {};
    std::function<void(Bytes& stream)> spoilStream = {};
    int badCrcChunk = -1;         // this IDAT chunk gets a wrong CRC
    bool trailingChunks = false;  // an empty IDAT, text and the end chunk after the data
};

int samplesOf(int colorType) {
    return colorType == 0 || colorType == 3 ? 1 : colorType == 4 ? 2 : colorType == 2 ? 3 : 4;
}

// Pixels with edges and noise, so that every filter has work; rows filtered with the format's own filters.
Bytes build(const PngSpec& s) {
    const int bpp = samplesOf(s.colorType);
    const std::size_t rowBytes = static_cast<std::size_t>(s.width) * bpp;
    Bytes raw, filtered;
    std::uint32_t seed = 12345;
    for (int y = 0; y < s.height; ++y)
        for (std::size_t i = 0; i < rowBytes; ++i) {
            seed = seed * 1103515245 + 12345;
            raw.push_back(static_cast<std::uint8_t>((y * 7 + i * 3) ^ (seed >> 24 & 0x1f)));
        }
    for (int y = 0; y < s.height; ++y) {
        const int f = s.filter >= 0 ? s.filter : y % 5;
        filtered.push_back(static_cast<std::uint8_t>(f));
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const int x = raw[y * rowBytes + i];
            const int a = i >= static_cast<std::size_t>(bpp) ? raw[y * rowBytes + i - bpp] : 0;
            const int b = y > 0 ? raw[(y - 1) * rowBytes + i] : 0;
            const int c = y > 0 && i >= static_cast<std::size_t>(bpp) ? raw[(y - 1) * rowBytes + i - bpp] : 0;
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            const int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            const int predicted[] = {0, a, b, (a + b) / 2, paeth};
            filtered.push_back(static_cast<std::uint8_t>(x - predicted[f]));
        }
    }
    if (s.spoilRows) s.spoilRows(filtered);
    Bytes stream(compressBound(static_cast<uLong>(filtered.size())));
    uLongf length = static_cast<uLongf>(stream.size());
    compress2(stream.data(), &length, filtered.data(), static_cast<uLong>(filtered.size()), 6);
    stream.resize(length);
    if (s.spoilStream) s.spoilStream(stream);

    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    Bytes ihdr;
    putBe32(ihdr, static_cast<std::uint32_t>(s.width));
    putBe32(ihdr, static_cast<std::uint32_t>(s.height));
    ihdr.insert(ihdr.end(), {8, static_cast<std::uint8_t>(s.colorType), 0, 0, 0});
    chunk(png, "IHDR", ihdr);
    if (!s.plte.empty()) chunk(png, "PLTE", s.plte);
    if (!s.trns.empty()) chunk(png, "tRNS", s.trns);
    int index = 0;
    for (std::size_t at = 0; at < stream.size(); at += s.idatPiece, ++index) {
        const std::size_t n = std::min(s.idatPiece, stream.size() - at);
        chunk(png, "IDAT", Bytes(stream.begin() + at, stream.begin() + at + n), index != s.badCrcChunk);
    }
    if (s.trailingChunks) {
        chunk(png, "IDAT", {});
        chunk(png, "tEXt", {'a', 0, 'b'});
    }
    chunk(png, "IEND", {});
    return png;
}

Bytes palette(int entries) {
    Bytes p;
    for (int i = 0; i < entries; ++i)
        p.insert(p.end(), {static_cast<std::uint8_t>(i * 3), static_cast<std::uint8_t>(255 - i),
                           static_cast<std::uint8_t>(i * 7)});
    return p;
}

Bytes ramp(int entries) {
    Bytes p;
    for (int i = 0; i < entries; ++i) p.push_back(static_cast<std::uint8_t>(i * 9));
    return p;
}

TEST(PngFastPath, BuiltPicturesMatchLibpng) {
    const PngSpec specs[] = {
        {"grey, all filters", 0, 61, 40},
        {"grey with key", 0, 61, 40, {}, {0, 17}},
        {"grey + alpha", 4, 33, 20},
        {"rgb, all filters", 2, 97, 45},
        {"rgb with key", 2, 97, 45, {}, {0, 20, 0, 21, 0, 22}},
        {"rgba", 6, 50, 31},
        {"palette, indices past its end", 3, 70, 30, palette(40)},
        {"palette with alpha", 3, 70, 30, palette(256), ramp(100)},
        {"rgb, sub only", 2, 300, 8, {}, {}, 1},
        {"rgb, paeth only", 2, 300, 8, {}, {}, 4},
        {"one pixel", 6, 1, 1},
        {"rgb, tiny IDAT chunks", 2, 200, 60, {}, {}, -1, 7},
        {"rgb, empty IDAT and text after the data", 2, 64, 16, {}, {}, -1, 40000, {}, {}, -1, true},
        {"bad filter byte", 2, 64, 16, {}, {}, -1, 40000, [](Bytes& f) { f[5 * (64 * 3 + 1)] = 5; }},
        {"stream short of the last row",
         2,
         64,
         16,
         {},
         {},
         -1,
         40000,
         [](Bytes& f) { f.erase(f.end() - 10, f.end()); }},
        {"rows in excess of the picture",
         0,
         64,
         16,
         {},
         {},
         -1,
         40000,
         [](Bytes& f) { f.resize(f.size() + 65, 0); }},
        {"wrong stream check value", 2, 64, 16, {}, {}, -1, 40000, {}, [](Bytes& z) { z.back() ^= 1; }},
        {"stream cut before its end",
         2,
         64,
         16,
         {},
         {},
         -1,
         40000,
         {},
         [](Bytes& z) { z.erase(z.end() - 6, z.end()); }},
        {"corrupt deflate data",
         2,
         64,
         16,
         {},
         {},
         -1,
         40000,
         {},
         [](Bytes& z) {
             z[z.size() / 2] ^= 0x55;
             z[z.size() / 2 + 1] ^= 0xff;
         }},
        {"bad CRC of a middle IDAT", 2, 200, 60, {}, {}, -1, 500, {}, {}, 3},
        {"bad CRC of the last IDAT", 2, 64, 16, {}, {}, -1, 40000, {}, {}, 0},
    };
    for (const PngSpec& spec : specs) expectSameAsLibpng(build(spec), spec.name);
}

TEST(PngFastPath, OutcomesOfFaults) {
    struct Case {
        PngSpec spec;
        int result;
    };
    const Case cases[] = {
        {{"bad filter byte", 2, 64, 16, {}, {}, -1, 40000, [](Bytes& f) { f[0] = 7; }}, kConvertDecodeFailed},
        {{"wrong check value", 2, 64, 16, {}, {}, -1, 40000, {}, [](Bytes& z) { z.back() ^= 1; }},
         kConvertDecodeFailed},
        {{"bad CRC in the middle", 2, 200, 60, {}, {}, -1, 500, {}, {}, 3}, kConvertDecodeFailed},
        {{"tiny chunks", 2, 200, 60, {}, {}, -1, 7}, kConvertOk},
    };
    for (const Case& c : cases) {
        Outcome fast;
        decodeBytes(build(c.spec), decode::decodePng, fast);
        EXPECT_EQ(fast.result, c.result) << c.spec.name;
    }
}

TEST(PngFastPath, CorpusAndBenchmarkPicturesMatchLibpng) {
    const std::filesystem::path corpus = std::filesystem::path(TESSARY_TESTDATA_DIR) / "png";
    ASSERT_TRUE(std::filesystem::is_directory(corpus)) << "test pictures missing: " << corpus;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        expectSameAsLibpng(readBytes(entry.path().string()), entry.path().filename().string());
        ++files;
    }
    EXPECT_GT(files, 50);
    // The large photograph of the speed benchmark, when its pictures are at hand.
    if (const char* pictures = std::getenv("TESSARY_BENCH_PICTURES")) {
        const std::string photo = std::string(pictures) + "/photo_24mp_6000x4000.png";
        if (std::filesystem::exists(photo)) expectSameAsLibpng(readBytes(photo), photo);
    }
}

}  // namespace
}  // namespace tessary::image::testing
