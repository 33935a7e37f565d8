// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/step_pulse.h"

#include <cstddef>

namespace tessary::engrave {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

std::int64_t stepPulseValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t value = 0;  // unsigned: wrapping is defined
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10u + static_cast<std::uint64_t>(text[i] - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<std::int64_t>(value);  // modular conversion (C++20)
}

std::uint8_t stepPulseByte(std::string_view text) {
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(stepPulseValue(text)) & 0xFFu);
}

}  // namespace tessary::engrave
