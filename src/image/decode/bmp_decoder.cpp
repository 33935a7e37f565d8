// SPDX-License-Identifier: GPL-3.0-or-later
// 24-bit BMP files (and OS/2 "BA" ones with the same header): the 12-byte core header or an info header of
// 40 bytes or more.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/bmp_header.h"
#include "image/decode/decoders.h"

namespace tessary::image::decode {

int decodeBmp(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    std::uint8_t head[kBmpHeadLength];
    const std::size_t headBytes = static_cast<std::size_t>(std::min<std::uint64_t>(in.size, sizeof head));
    if (!readAt(in, 0, head, headBytes)) return kConvertRefused;
    const std::optional<BmpHeader> header = readBmpHeader({head, headBytes});
    if (!header || header->compression > kBmpBitFields || header->width <= 0 || header->height == 0 ||
        header->bitsPerPixel != 24)
        return kConvertRefused;
    const BmpHeader& h = *header;

    const std::uint64_t width = static_cast<std::uint64_t>(h.width);
    const std::uint64_t height = static_cast<std::uint64_t>(h.height < 0 ? -h.height : h.height);
    // Bit fields on 24-bit rows are only the plain blue-green-red layout spelled out; any other masks would
    // need a layout this decoder does not guess at. Run-length codes are for 4- and 8-bit rows.
    if (h.compression == kBmpBitFields
            ? h.masks[0] != 0x00FF0000 || h.masks[1] != 0x0000FF00 || h.masks[2] != 0x000000FF
            : h.compression != 0)
        return kConvertDecodeFailed;
    if (h.pixelOffset < h.tableOffset) return kConvertDecodeFailed;

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
