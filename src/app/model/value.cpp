// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/model/value.h"

#include <cctype>
#include <cstdint>
#include <limits>

#include "app/model/unit.h"

namespace tessary {

namespace {

// Leading blanks, an optional sign, decimal digits up to the first other character; saturates at the
// ends of the 32-bit range.
std::int32_t leadingNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t n = 0;
    const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        n = n * 10 + (text[i] - '0');
        if (n > limit) n = limit;
    }
    if (negative) n = -n;
    if (n > std::numeric_limits<std::int32_t>::max()) n = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(n);
}

}  // namespace

std::int32_t asInt(const Value& v) {
    if (const auto* i = std::get_if<std::int32_t>(&v)) return *i;
    if (const auto* s = std::get_if<std::string>(&v)) return leadingNumber(*s);
    return 0;
}

bool asBool(const Value& v) { return asInt(v) != 0; }

std::string asText(const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    if (const auto* i = std::get_if<std::int32_t>(&v)) return std::to_string(*i);
    return {};
}

Bytes asBytes(const Value& v) {
    if (const auto* b = std::get_if<Bytes>(&v)) return *b;
    return {};
}

}  // namespace tessary
