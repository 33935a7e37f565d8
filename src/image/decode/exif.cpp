// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/decode/exif.h"

#include <cstring>

namespace tessary::image::decode {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    bool bigEndian;
    bool has(std::size_t at, std::size_t bytes) const { return at <= size && bytes <= size - at; }
    std::uint16_t u16(std::size_t at) const {
        return bigEndian ? static_cast<std::uint16_t>(data[at] << 8 | data[at + 1])
                         : static_cast<std::uint16_t>(data[at + 1] << 8 | data[at]);
    }
    std::uint32_t u32(std::size_t at) const {
        return bigEndian ? std::uint32_t{u16(at)} << 16 | u16(at + 2)
                         : std::uint32_t{u16(at + 2)} << 16 | u16(at);
    }
};

}  // namespace

int exifOrientation(const std::uint8_t* data, std::size_t size) {
    static constexpr std::uint8_t kSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!data || size < sizeof kSignature + 8 || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return 1;
    Reader tiff{data + sizeof kSignature, size - sizeof kSignature, false};
    if (tiff.data[0] == 'M' && tiff.data[1] == 'M')
        tiff.bigEndian = true;
    else if (tiff.data[0] != 'I' || tiff.data[1] != 'I')
        return 1;
    if (tiff.u16(2) != 42) return 1;
    const std::size_t ifd = tiff.u32(4);
    if (!tiff.has(ifd, 2)) return 1;
    const std::size_t entries = tiff.u16(ifd);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + i * 12;
        if (!tiff.has(entry, 12)) return 1;
        if (tiff.u16(entry) != kOrientationTag) continue;
        if (tiff.u16(entry + 2) != kTypeShort || tiff.u32(entry + 4) != 1) return 1;
        const int value = tiff.u16(entry + 8);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

}  // namespace tessary::image::decode
