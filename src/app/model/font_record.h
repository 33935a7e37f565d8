// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The 60-byte logical-font record that font properties carry: five 32-bit little-endian integers
// (height, width, escapement, orientation, weight), eight bytes (italic, underline, strike-out, character
// set, output precision, clip precision, quality, pitch and family) and a 32-byte zero-padded face name.
#include <cstdint>
#include <optional>
#include <string>

#include "app/model/value.h"

namespace tessary {

inline constexpr std::size_t kFontRecordSize = 60;
inline constexpr std::size_t kFontFaceSize = 32;

struct FontRecord {
    std::int32_t height = 0;  // negative: character height in pixels; positive: cell height
    std::int32_t width = 0;
    std::int32_t weight = 400;  // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint8_t charSet = 1;  // the platform's default character set
    std::string face;          // UTF-8, at most 31 bytes survive the record
};

Bytes encodeFont(const FontRecord& font);
// nullopt when the bytes are not a font record.
std::optional<FontRecord> decodeFont(const Bytes& bytes);

}  // namespace tessary
