// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Properties 8 to 19 of a SerialPort unit over its stored settings.
#include <optional>

#include "app/model/serial_settings.h"
#include "app/model/value.h"

namespace tessary::link {

using PortSettings = SerialSettings;

// Stores property 8..19 after the kind's adjustment on write; false for any other number.
bool writeSetting(PortSettings& settings, int property, const Value& value);
// The stored value of property 8..19; nullopt for any other number.
std::optional<Value> readSetting(const PortSettings& settings, int property);

}  // namespace tessary::link
