// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The motor step pulse typed in the Setting window, read the way C's atol reads a number.
#include <cstdint>
#include <string_view>

namespace tessary::engrave {

/// Leading blanks, an optional sign, then decimal digits up to the first other character; no digits
/// gives 0. Digits accumulate modulo 2^64, so the result is defined for any length and its low bits
/// are always those of the number as written; it is the exact value for every number that fits in
/// a signed 64-bit integer.
std::int64_t stepPulseValue(std::string_view text);

/// The byte sent after FA: the low 8 bits of stepPulseValue (two's complement for negatives).
std::uint8_t stepPulseByte(std::string_view text);

}  // namespace tessary::engrave
