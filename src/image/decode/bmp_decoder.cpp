// SPDX-License-Identifier: GPL-3.0-or-later
// 24-bit BMP files (and OS/2 "BA" ones with the same header): the 12-byte core header or an info header of
// 40 bytes or more.
#include <cstdint>
#include <vector>

#include "image/decode/decoders.h"

namespace tessary::image::decode {
namespace {

std::uint32_t u16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t u32(const std::uint8_t* p) { return u16(p) | (u16(p + 2) << 16); }

constexpr std::uint32_t kBitfields = 3;

struct BmpHeader {
    std::uint32_t pixelOffset = 0;
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative: rows stored top-down
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = 0;
};

bool readHeader(const Input& in, BmpHeader& h) {
    std::uint8_t b[54];
    if (!readAt(in, 0, b, 18)) return false;
    if (b[0] != 'B' || (b[1] != 'M' && b[1] != 'A')) return false;
    h.pixelOffset = u32(b + 10);
    h.headerSize = u32(b + 14);
    if (h.headerSize == 12) {
        if (!readAt(in, 18, b + 18, 8)) return false;
        h.width = u16(b + 18);
        h.height = u16(b + 20);
        h.bitsPerPixel = u16(b + 24);
        h.compression = 0;
    } else if (h.headerSize >= 40) {
        if (!readAt(in, 18, b + 18, 36)) return false;
        h.width = static_cast<std::int32_t>(u32(b + 18));
        h.height = static_cast<std::int32_t>(u32(b + 22));
        h.bitsPerPixel = u16(b + 28);
        h.compression = u32(b + 30);
        if (h.compression > kBitfields) return false;
    } else {
        return false;
    }
    return h.width > 0 && h.height != 0 && h.bitsPerPixel == 24;
}

// Bit fields on 24-bit rows are only the plain blue-green-red layout spelled out; any other masks would
// need a layout this decoder does not guess at.
bool plainMasks(const Input& in) {
    std::uint8_t m[12];
    return readAt(in, 54, m, sizeof m) && u32(m) == 0x00FF0000 && u32(m + 4) == 0x0000FF00 &&
           u32(m + 8) == 0x000000FF;
}

}  // namespace

int decodeBmp(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    BmpHeader h;
    if (!readHeader(in, h)) return kConvertRefused;

    const std::uint64_t width = static_cast<std::uint64_t>(h.width);
    const std::uint64_t height = static_cast<std::uint64_t>(h.height < 0 ? -h.height : h.height);
    std::uint64_t headerEnd = 14ull + h.headerSize;
    if (h.compression == kBitfields) {
        if (!plainMasks(in)) return kConvertDecodeFailed;
        if (h.headerSize == 40) headerEnd += 12;
    } else if (h.compression != 0) {
        return kConvertDecodeFailed;  // run-length codes are for 4- and 8-bit rows
    }
    if (h.pixelOffset < headerEnd) return kConvertDecodeFailed;

    const std::uint64_t stride = (width * 24 + 31) / 32 * 4;
    // Every row must be in the file (the last one may lack its padding) before anything is allocated.
    if (width > kMaxDeliveredPixels || height > kMaxDeliveredPixels ||
        h.pixelOffset + stride * (height - 1) + width * 3 > in.size)
        return kConvertDecodeFailed;
    if (!startRows(sink, info, PictureFormat::Bmp, width, height, width, height)) return kConvertDecodeFailed;

    std::vector<std::uint8_t> stored(stride);
    std::vector<std::uint8_t> rgb(width * 3);
    if (fseeko(in.file, h.pixelOffset, SEEK_SET) != 0) return kConvertDecodeFailed;
    const bool topDown = h.height < 0;
    for (std::uint64_t r = 0; r < height; ++r) {
        const std::size_t want = r + 1 < height ? stride : width * 3;
        if (std::fread(stored.data(), 1, want, in.file) != want) return kConvertDecodeFailed;
        for (std::uint64_t x = 0; x < width; ++x) {
            rgb[x * 3 + 0] = stored[x * 3 + 2];
            rgb[x * 3 + 1] = stored[x * 3 + 1];
            rgb[x * 3 + 2] = stored[x * 3 + 0];
        }
        sink.row(static_cast<int>(topDown ? r : height - 1 - r), rgb.data());
    }
    return kConvertOk;
}

}  // namespace tessary::image::decode
