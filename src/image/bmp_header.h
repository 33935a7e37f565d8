// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading and writing the fixed fields of BMP data (all integers little-endian).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tessary::image {

inline std::uint16_t readU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t readU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t readI32(const std::uint8_t* p) { return static_cast<std::int32_t>(readU32(p)); }
inline void writeU16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void writeU32(std::uint8_t* p, std::uint32_t v) {
    writeU16(p, v);
    writeU16(p + 2, v >> 16);
}

// What the headers of BMP data say, once they have been found consistent with the data's length.
struct BmpHeader {
    int width = 0;
    int height = 0;  // rows are stored bottom row first
    int bitsPerPixel = 0;
    int planes = 0;
    std::size_t infoHeaderSize = 0;  // 12 (old form, 3-byte colour entries) or 40
    std::size_t colours = 0;         // colour-table entries
    std::size_t tableOffset = 0;     // from the start of the data
    std::size_t pixelOffset = 0;
    std::size_t stride = 0;
    std::size_t pixelBytes = 0;  // stride * height
};

// Smallest data that can hold BMP headers; `head` must hold this many bytes when the data has them.
inline constexpr std::size_t kBmpMinimumLength = 54;

// Checks the headers in `head` (the first bytes of the data) against the whole data's length: the
// signature, the file-size field, the header form, the depth, an uncompressed layout, a positive size
// within kMaxBitmapPixels, and that the colour table and every pixel row lie inside the data.
std::optional<BmpHeader> parseBmpHeader(std::span<const std::uint8_t> head, std::uint64_t dataLength);

}  // namespace tessary::image
