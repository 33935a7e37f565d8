// SPDX-License-Identifier: GPL-3.0-or-later
#include "icon_file.h"

namespace tessary::packaging {
namespace {

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> iconFile(const std::vector<IconPicture>& pictures) {
    constexpr std::uint32_t kHeader = 6, kEntry = 16;
    std::vector<std::uint8_t> out;
    put16(out, 0);  // reserved
    put16(out, 1);  // an icon, not a cursor
    put16(out, static_cast<unsigned>(pictures.size()));
    std::uint32_t offset = kHeader + kEntry * static_cast<std::uint32_t>(pictures.size());
    for (const IconPicture& p : pictures) {
        if (p.size < 1 || p.size > 256) return {};
        // 256 is written as 0 in the entry's one byte.
        out.push_back(static_cast<std::uint8_t>(p.size % 256));
        out.push_back(static_cast<std::uint8_t>(p.size % 256));
        out.push_back(0);  // no palette
        out.push_back(0);  // reserved
        put16(out, 1);     // colour planes
        put16(out, 32);    // bits per pixel
        put32(out, static_cast<std::uint32_t>(p.png.size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(p.png.size());
    }
    for (const IconPicture& p : pictures) out.insert(out.end(), p.png.begin(), p.png.end());
    return out;
}

}  // namespace tessary::packaging
