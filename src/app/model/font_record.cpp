// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/model/font_record.h"

#include <algorithm>

namespace tessary {

namespace {
void putInt(Bytes& out, std::size_t at, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}
std::int32_t getInt(const Bytes& in, std::size_t at) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= std::uint32_t{in[at + i]} << (8 * i);
    return static_cast<std::int32_t>(u);
}
}  // namespace

Bytes encodeFont(const FontRecord& font) {
    Bytes out(kFontRecordSize, 0);
    putInt(out, 0, font.height);
    putInt(out, 4, font.width);
    putInt(out, 16, font.weight);
    out[20] = font.italic ? 1 : 0;
    out[21] = font.underline ? 1 : 0;
    out[22] = font.strikeOut ? 1 : 0;
    out[23] = font.charSet;
    // The face keeps a terminating zero inside its 32 bytes; a cut never splits a UTF-8 sequence.
    std::size_t n = std::min(font.face.size(), kFontFaceSize - 1);
    while (n > 0 && n < font.face.size() && (static_cast<unsigned char>(font.face[n]) & 0xC0) == 0x80) --n;
    std::copy_n(font.face.begin(), n, out.begin() + 28);
    return out;
}

std::optional<FontRecord> decodeFont(const Bytes& bytes) {
    if (bytes.size() != kFontRecordSize) return std::nullopt;
    FontRecord f;
    f.height = getInt(bytes, 0);
    f.width = getInt(bytes, 4);
    f.weight = getInt(bytes, 16);
    f.italic = bytes[20] != 0;
    f.underline = bytes[21] != 0;
    f.strikeOut = bytes[22] != 0;
    f.charSet = bytes[23];
    const auto begin = bytes.begin() + 28;
    const auto end = std::find(begin, bytes.end(), std::uint8_t{0});
    f.face.assign(begin, end);
    return f;
}

}  // namespace tessary
