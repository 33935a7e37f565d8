// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The values SendData accepts and the bytes each one puts on the wire.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "app/model/value.h"

namespace tessary::link {

struct Boolean {
    bool value = false;
};
struct DateTime {
    double days = 0;  // the date-time's own double
};
struct SubroutinePointer {
    std::uint32_t address = 0;
};
// A unit or a value of a structured type: it has no byte form.
struct OtherValue {};

using SendValue = std::variant<std::uint8_t, std::int16_t, std::int32_t, std::int64_t, float, double, Boolean,
                               DateTime, SubroutinePointer, std::string, Bytes, OtherValue>;

// Numbers little-endian, a boolean as 4 bytes (1 or 0), a text without its terminator, a byte set as it is;
// nullopt for a value without a byte form.
std::optional<Bytes> byteForm(const SendValue& value);

}  // namespace tessary::link
