// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the decoder tests: a scratch directory, byte-level file building, a reader for the BMP files
// the converter writes, and a sink that checks the row contract.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "image/decode/decode.h"
#include "support/temp_folder.h"

namespace tessary::image::testing {

using Bytes = std::vector<std::uint8_t>;

class ScratchDir {
  public:
    std::string file(const std::string& name) const { return (folder_.path() / name).string(); }

  private:
    tessary::testing::TempFolder folder_{"tessary-decode"};
};

inline void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void put16(Bytes& b, std::size_t at, std::uint32_t v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v);
    put16(b, at + 2, v >> 16);
}
inline std::uint32_t get16(const Bytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
inline std::uint32_t get32(const Bytes& b, std::size_t at) { return get16(b, at) | (get16(b, at + 2) << 16); }

// A 24-bit BMP file header and 40-byte info header; the rows are appended by the caller.
inline Bytes bmp24Header(std::int32_t width, std::int32_t height) {
    Bytes b(54, 0);
    b[0] = 'B', b[1] = 'M';
    put32(b, 10, 54);
    put32(b, 14, 40);
    put32(b, 18, static_cast<std::uint32_t>(width));
    put32(b, 22, static_cast<std::uint32_t>(height));
    put16(b, 26, 1);
    put16(b, 28, 24);
    return b;
}

// Reads a converter output and checks its fixed header fields; empty on any deviation (reported in `why`).
inline Raster readConvertedBmp(const Bytes& b, std::string& why) {
    auto fail = [&why](const char* reason) {
        why = reason;
        return Raster();
    };
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return fail("no BMP header");
    const int w = static_cast<int>(get32(b, 18)), h = static_cast<int>(get32(b, 22));
    const std::size_t stride = (static_cast<std::size_t>(w) * 24 + 31) / 32 * 4;
    if (w <= 0 || h <= 0) return fail("size not positive");
    if (get32(b, 2) != 54 + stride * h || b.size() != 54 + stride * h) return fail("file size");
    if (get32(b, 10) != 54 || get32(b, 14) != 40 || get16(b, 26) != 1 || get16(b, 28) != 24 ||
        get32(b, 30) != 0)
        return fail("header fields");
    for (std::size_t at = 34; at < 54; ++at)
        if (b[at] != 0) return fail("trailing header fields not 0");
    Raster r(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = b.data() + 54 + stride * (h - 1 - y) + x * 3;
            std::uint8_t* q = r.at(x, y);
            q[0] = p[2], q[1] = p[1], q[2] = p[0];
        }
    return r;
}

// Keeps the rows it is given and notes any breach of the sink contract.
class CheckingSink : public RowSink {
  public:
    bool accept = true;
    int begins = 0;
    Raster picture;
    std::vector<int> deliveries;
    bool misplacedRow = false;
    int orientation = 1;

    void storedOrientation(int o) override { orientation = o; }
    bool begin(int width, int height) override {
        ++begins;
        picture = Raster(width, height);
        deliveries.assign(height, 0);
        return accept;
    }
    void row(int y, const std::uint8_t* rgb) override {
        if (begins != 1 || y < 0 || y >= picture.height) {
            misplacedRow = true;
            return;
        }
        ++deliveries[y];
        std::copy(rgb, rgb + picture.width * 3, picture.at(0, y));
    }
    bool everyRowOnce() const {
        for (int n : deliveries)
            if (n != 1) return false;
        return !misplacedRow && begins == 1;
    }

    // With `split`, the rows from the one asked for on may come to a second sink, on another thread.
    bool split = false;
    std::unique_ptr<CheckingSink> band;
    int bandFrom = -1;
    RowSink* splitAt(int first) override {
        if (!split) return nullptr;
        band = std::make_unique<CheckingSink>();
        band->begin(picture.width, picture.height);
        bandFrom = first;
        return band.get();
    }
    void join() override {
        for (int y = 0; y < picture.height; ++y) {
            if (band->deliveries[y] == 0) continue;
            misplacedRow = misplacedRow || y < bandFrom;
            deliveries[y] += band->deliveries[y];
            std::copy(band->picture.at(0, y), band->picture.at(0, y) + picture.width * 3, picture.at(0, y));
        }
        misplacedRow = misplacedRow || band->misplacedRow;
    }
};

}  // namespace tessary::image::testing
