// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds BMP data field by field, independently of the library's writer, so tests can make
// well-formed and malformed files alike.
#include <cstdint>
#include <vector>

namespace tessary::image::testing {

struct BmpSpec {
    std::uint32_t infoHeaderSize = 40;  // 12 or 40 (others for refusal tests)
    std::int32_t width = 3;
    std::int32_t height = 2;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> table{};  // 0x00BBGGRR; written as 3-byte entries for a 12-byte header
    std::vector<std::uint8_t> pixels{};  // as stored; empty: zero rows of the right size
    std::int64_t pixelOffset = -1;       // -1: right after the table
    std::int64_t fileSize = -1;          // -1: the real length
};

inline void put16(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    v[at] = static_cast<std::uint8_t>(x);
    v[at + 1] = static_cast<std::uint8_t>(x >> 8);
}
inline void put32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    put16(v, at, x);
    put16(v, at + 2, x >> 16);
}

inline std::size_t strideOf(std::int64_t width, int bits) {
    return static_cast<std::size_t>((width * bits + 31) / 32 * 4);
}

inline std::vector<std::uint8_t> makeBmp(const BmpSpec& s) {
    const bool core = s.infoHeaderSize == 12;
    const std::size_t entry = core ? 3 : 4;
    const std::size_t tableAt = 14 + s.infoHeaderSize;
    const std::size_t pixelsAt =
        s.pixelOffset >= 0 ? static_cast<std::size_t>(s.pixelOffset) : tableAt + s.table.size() * entry;
    std::vector<std::uint8_t> pixels = s.pixels;
    if (pixels.empty() && s.width > 0 && s.height > 0) pixels.assign(strideOf(s.width, s.bits) * s.height, 0);
    std::vector<std::uint8_t> v(std::max(pixelsAt, tableAt + s.table.size() * entry) + pixels.size(), 0);
    v[0] = 'B';
    v[1] = 'M';
    put32(v, 2,
          s.fileSize >= 0 ? static_cast<std::uint32_t>(s.fileSize) : static_cast<std::uint32_t>(v.size()));
    put32(v, 10, static_cast<std::uint32_t>(pixelsAt));
    put32(v, 14, s.infoHeaderSize);
    if (core) {
        put16(v, 18, static_cast<std::uint32_t>(s.width));
        put16(v, 20, static_cast<std::uint32_t>(s.height));
        put16(v, 22, 1);
        put16(v, 24, s.bits);
    } else {
        put32(v, 18, static_cast<std::uint32_t>(s.width));
        put32(v, 22, static_cast<std::uint32_t>(s.height));
        put16(v, 26, 1);
        put16(v, 28, s.bits);
        put32(v, 30, s.compression);
        put32(v, 46, s.coloursUsed);
    }
    for (std::size_t i = 0; i < s.table.size(); ++i) {
        const std::uint32_t c = s.table[i];
        v[tableAt + i * entry] = static_cast<std::uint8_t>(c >> 16);
        v[tableAt + i * entry + 1] = static_cast<std::uint8_t>(c >> 8);
        v[tableAt + i * entry + 2] = static_cast<std::uint8_t>(c);
    }
    std::copy(pixels.begin(), pixels.end(), v.begin() + static_cast<std::ptrdiff_t>(pixelsAt));
    return v;
}

constexpr std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | (g << 8) | (b << 16);
}

}  // namespace tessary::image::testing
