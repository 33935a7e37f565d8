// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Values read from and written to unit properties.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/model/bytes.h"

namespace tessary {

// integer (booleans, choices and colours are integers too), text (UTF-8), byte data.
using Value = std::variant<std::int32_t, std::string, Bytes>;

// Conversions as the property model applies them: a text reads as its leading number,
// a number reads as its decimal text, byte data is never converted.
std::int32_t asInt(const Value& v);
bool asBool(const Value& v);
std::string asText(const Value& v);
Bytes asBytes(const Value& v);

// A colour is 0x00BBGGRR; this value stands for the default colour (the platform's button face).
inline constexpr std::uint32_t kDefaultColour = 0xFF000000u;
inline constexpr std::int32_t colourValue(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<std::int32_t>(r | (g << 8) | (b << 16));
}

}  // namespace tessary
