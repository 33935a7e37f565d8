// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/bmp_header.h"

#include <algorithm>

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

std::optional<BmpHeader> readBmpHeader(std::span<const std::uint8_t> head) {
    const std::uint8_t* p = head.data();
    if (head.size() < kBmpFileHeaderSize + 4 || p[0] != 'B' || (p[1] != 'M' && p[1] != 'A'))
        return std::nullopt;
    BmpHeader h;
    h.osTwo = p[1] == 'A';
    h.fileSize = readU32(p + 2);
    h.pixelOffset = readU32(p + 10);
    h.infoHeaderSize = readU32(p + 14);
    if (h.infoHeaderSize == kBmpCoreHeaderSize) {
        if (head.size() < kBmpFileHeaderSize + kBmpCoreHeaderSize) return std::nullopt;
        h.width = readU16(p + 18);
        h.height = readU16(p + 20);
        h.planes = readU16(p + 22);
        h.bitsPerPixel = readU16(p + 24);
        h.tableEntrySize = 3;
    } else if (h.infoHeaderSize >= kBmpInfoHeaderSize) {
        if (head.size() < kBmpMinimumLength) return std::nullopt;
        h.width = readI32(p + 18);
        h.height = readI32(p + 22);
        h.planes = readU16(p + 26);
        h.bitsPerPixel = readU16(p + 28);
        h.compression = readU32(p + 30);
        h.coloursUsed = readU32(p + 46);
    } else {
        return std::nullopt;
    }
    h.tableOffset = kBmpFileHeaderSize + h.infoHeaderSize;
    if (h.compression == kBmpBitFields) {
        // After a 40-byte header the three masks follow it; later header forms hold them, and the alpha mask.
        const std::size_t given = h.infoHeaderSize == kBmpInfoHeaderSize
                                      ? 3
                                      : std::min<std::size_t>(4, (h.infoHeaderSize - 40) / 4);
        for (std::size_t i = 0; i < given && kBmpMinimumLength + 4 * i + 4 <= head.size(); ++i)
            h.masks[i] = readU32(p + kBmpMinimumLength + 4 * i);
        if (h.infoHeaderSize == kBmpInfoHeaderSize) h.tableOffset += 12;
    }
    return h;
}

std::optional<BitmapLayout> bitmapLayout(std::span<const std::uint8_t> head, std::uint64_t dataLength) {
    if (dataLength < kBmpMinimumLength || head.size() < kBmpMinimumLength) return std::nullopt;
    const std::optional<BmpHeader> h = readBmpHeader(head);
    if (!h || h->osTwo || dataLength < h->fileSize) return std::nullopt;
    if (h->infoHeaderSize != kBmpCoreHeaderSize && h->infoHeaderSize != kBmpInfoHeaderSize)
        return std::nullopt;
    if (!isBitmapDepth(h->bitsPerPixel) || h->compression != 0) return std::nullopt;
    // Negative heights (top-down rows) and empty pictures are refused along with the rest.
    if (h->width <= 0 || h->height <= 0 || h->width * h->height > kMaxBitmapPixels) return std::nullopt;

    BitmapLayout l;
    l.width = static_cast<int>(h->width);
    l.height = static_cast<int>(h->height);
    l.bitsPerPixel = h->bitsPerPixel;
    l.planes = h->planes;
    l.infoHeaderSize = h->infoHeaderSize;
    l.tableOffset = h->tableOffset;
    std::uint64_t colours = h->bitsPerPixel <= 8 ? (1u << h->bitsPerPixel) : 0;
    if (h->coloursUsed != 0) colours = h->coloursUsed;
    if (l.tableOffset + colours * h->tableEntrySize > dataLength) return std::nullopt;
    l.colours = static_cast<std::size_t>(colours);

    const std::uint64_t stride = static_cast<std::uint64_t>(bmpStride(h->width, h->bitsPerPixel));
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(h->height);
    if (h->pixelOffset < l.tableOffset || h->pixelOffset >= dataLength) return std::nullopt;
    if (dataLength - h->pixelOffset < pixelBytes) return std::nullopt;
    l.stride = static_cast<std::size_t>(stride);
    l.pixelBytes = static_cast<std::size_t>(pixelBytes);
    l.pixelOffset = h->pixelOffset;
    return l;
}

}  // namespace tessary::image
