// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading and writing single pixels of a bitmap object, for tests; (x, y) counts from the top-left pixel.
#include <cstdint>
#include <vector>

#include "image/bitmap.h"

namespace tessary::testing {

// The colour-table index of a pixel of a 1-, 4- or 8-bit image.
inline int indexAt(const image::Bitmap& b, int x, int y) {
    const std::uint8_t* row = b.topRow(y);
    switch (b.bitsPerPixel()) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
        default:
            return row[x];
    }
}

inline void setIndexAt(image::Bitmap& b, int x, int y, int index) {
    std::uint8_t* row = b.topRow(y);
    const auto i = static_cast<unsigned>(index);
    switch (b.bitsPerPixel()) {
        case 1: {
            const int shift = 7 - (x & 7);
            row[x >> 3] = static_cast<std::uint8_t>((row[x >> 3] & ~(1u << shift)) | ((i & 1u) << shift));
            break;
        }
        case 4:
            row[x >> 1] = (x & 1) ? static_cast<std::uint8_t>((row[x >> 1] & 0xF0u) | (i & 0x0Fu))
                                  : static_cast<std::uint8_t>((row[x >> 1] & 0x0Fu) | ((i & 0x0Fu) << 4));
            break;
        default:
            row[x] = static_cast<std::uint8_t>(i);
    }
}

// The colour (0x00BBGGRR) of a pixel of any depth, as the picture pipeline reads it.
inline std::uint32_t colourAt(const image::Bitmap& b, int x, int y) {
    std::vector<std::uint32_t> row(static_cast<std::size_t>(b.width()));
    b.readRow(y, row.data());
    return row[static_cast<std::size_t>(x)];
}

// Stores a colour into a pixel of a 16-, 24- or 32-bit image.
inline void setColourAt(image::Bitmap& b, int x, int y, std::uint32_t c) {
    std::uint8_t* row = b.topRow(y);
    if (b.bitsPerPixel() == 16) {
        const unsigned v = ((c & 0xFF) >> 3) << 10 | (((c >> 8) & 0xFF) >> 3) << 5 | ((c >> 16) & 0xFF) >> 3;
        row[2 * x] = static_cast<std::uint8_t>(v);
        row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
        return;
    }
    std::uint8_t* p = row + x * (b.bitsPerPixel() / 8);
    p[0] = static_cast<std::uint8_t>(c >> 16);
    p[1] = static_cast<std::uint8_t>(c >> 8);
    p[2] = static_cast<std::uint8_t>(c);
}

// The colour table (0x00BBGGRR values) as the image's BMP data holds it.
inline std::vector<std::uint32_t> colourTableOf(const image::Bitmap& b) {
    const image::Bytes bmp = b.ToByteSet();
    const std::size_t start = image::kBmpFileHeaderSize + image::kBmpInfoHeaderSize;
    const std::size_t pixels =
        bmp[10] | bmp[11] << 8 | bmp[12] << 16 | static_cast<std::size_t>(bmp[13]) << 24;
    std::vector<std::uint32_t> table;
    for (std::size_t at = start; at + 4 <= pixels; at += 4)
        table.push_back(bmp[at + 2] | bmp[at + 1] << 8 | static_cast<std::uint32_t>(bmp[at]) << 16);
    return table;
}

}  // namespace tessary::testing
