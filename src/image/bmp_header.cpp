// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/bmp_header.h"

#include "image/bitmap.h"

namespace tessary::image {

bool isBitmapDepth(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            return true;
        default:
            return false;
    }
}

std::int64_t bmpStride(std::int64_t width, int bitsPerPixel) { return (width * bitsPerPixel + 31) / 32 * 4; }

std::optional<BmpHeader> parseBmpHeader(std::span<const std::uint8_t> head, std::uint64_t dataLength) {
    if (dataLength < kBmpMinimumLength || head.size() < kBmpMinimumLength) return std::nullopt;
    const std::uint8_t* p = head.data();
    if (p[0] != 'B' || p[1] != 'M') return std::nullopt;
    if (dataLength < readU32(p + 2)) return std::nullopt;

    BmpHeader h;
    h.infoHeaderSize = readU32(p + 14);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    if (h.infoHeaderSize == kBmpCoreHeaderSize) {
        width = readU16(p + 18);
        height = readU16(p + 20);
        h.planes = readU16(p + 22);
        h.bitsPerPixel = readU16(p + 24);
    } else if (h.infoHeaderSize == kBmpInfoHeaderSize) {
        width = readI32(p + 18);
        height = readI32(p + 22);
        h.planes = readU16(p + 26);
        h.bitsPerPixel = readU16(p + 28);
        compression = readU32(p + 30);
        coloursUsed = readU32(p + 46);
    } else {
        return std::nullopt;
    }
    if (!isBitmapDepth(h.bitsPerPixel) || compression != 0) return std::nullopt;
    // Negative heights (top-down rows) and empty pictures are refused along with the rest.
    if (width <= 0 || height <= 0 || width * height > kMaxBitmapPixels) return std::nullopt;
    h.width = static_cast<int>(width);
    h.height = static_cast<int>(height);

    std::uint64_t colours = h.bitsPerPixel <= 8 ? (1u << h.bitsPerPixel) : 0;
    if (coloursUsed != 0) colours = coloursUsed;
    const std::uint64_t entrySize = h.infoHeaderSize == kBmpCoreHeaderSize ? 3 : 4;
    h.tableOffset = kBmpFileHeaderSize + h.infoHeaderSize;
    if (h.tableOffset + colours * entrySize > dataLength) return std::nullopt;
    h.colours = static_cast<std::size_t>(colours);

    const std::uint64_t stride = static_cast<std::uint64_t>(bmpStride(width, h.bitsPerPixel));
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(height);
    const std::uint64_t pixelOffset = readU32(p + 10);
    if (pixelOffset < h.tableOffset || pixelOffset >= dataLength) return std::nullopt;
    if (dataLength - pixelOffset < pixelBytes) return std::nullopt;
    h.stride = static_cast<std::size_t>(stride);
    h.pixelBytes = static_cast<std::size_t>(pixelBytes);
    h.pixelOffset = static_cast<std::size_t>(pixelOffset);
    return h;
}

}  // namespace tessary::image
