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

inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::size_t kBmpInfoHeaderSize = 40;
inline constexpr std::size_t kBmpCoreHeaderSize = 12;

// Pictures above this many pixels are refused: the system works on 512 x 512.
inline constexpr std::int64_t kMaxBitmapPixels = 100'000'000;

// 1, 4, 8, 16, 24 or 32 bits per pixel.
bool isBitmapDepth(int bitsPerPixel);
// Bytes per stored row: rows are padded to a multiple of 4 bytes.
std::int64_t bmpStride(std::int64_t width, int bitsPerPixel);

// What the headers of BMP data say, as stored; nothing here is checked against the data's length.
struct BmpHeader {
    bool osTwo = false;  // signature "BA" rather than "BM"
    std::uint32_t fileSize = 0;
    std::uint32_t pixelOffset = 0;
    std::uint32_t infoHeaderSize = 0;  // 12 (old form: 16-bit sizes, 3-byte colour entries) or 40 and more
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative: the top row is stored first
    int planes = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t masks[4] = {};  // red, green, blue, alpha of bit fields (compression 3), as far as given
    std::size_t tableOffset = 0;  // the colour table's, after the headers and any masks that follow them
    std::size_t tableEntrySize = 4;
};

inline constexpr std::uint32_t kBmpBitFields = 3;

// The first bytes of the data that hold every field of BmpHeader.
inline constexpr std::size_t kBmpHeadLength = 70;

// Reads the headers at the start of `head` (the data's first bytes, up to kBmpHeadLength): nullopt without
// the signature "BM" or "BA", for an info header of another size than 12 or 40 and more, or when `head` ends
// within the fields of its header form.
std::optional<BmpHeader> readBmpHeader(std::span<const std::uint8_t> head);

// What the bitmap object takes, once found consistent with the data's length.
struct BitmapLayout {
    int width = 0;
    int height = 0;  // rows are stored bottom row first
    int bitsPerPixel = 0;
    int planes = 0;
    std::size_t infoHeaderSize = 0;  // 12 or 40
    std::size_t colours = 0;         // colour-table entries
    std::size_t tableOffset = 0;     // from the start of the data
    std::size_t pixelOffset = 0;
    std::size_t stride = 0;
    std::size_t pixelBytes = 0;  // stride * height
};

// Smallest data the bitmap object takes; `head` must hold this many bytes when the data has them.
inline constexpr std::size_t kBmpMinimumLength = 54;

// Checks the headers in `head` against the whole data's length: the signature "BM", the file-size field, a
// header of 12 or 40 bytes, the depth, an uncompressed layout, a positive size within kMaxBitmapPixels, and
// that the colour table and every pixel row lie inside the data.
std::optional<BitmapLayout> bitmapLayout(std::span<const std::uint8_t> head, std::uint64_t dataLength);

}  // namespace tessary::image
