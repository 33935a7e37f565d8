// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The serial port unit's stored settings block of a window definition: little-endian 32-bit integers
// version, PortNumber, BaudRate, DataBits, StopBits, ParityCheck, Timeout, OpenOnCreate, EventChar as a
// length and that many bytes, then Parity (version 2 on), FlowControl (3 on), RtsControl and DtrControl (4
// on).
#include <cstdint>
#include <optional>
#include <string>

#include "app/model/value.h"
#include "app/model/window_def.h"

namespace tessary {

struct SerialSettings {
    std::int32_t portNumber = 1;
    std::int32_t baudRate = 19200;
    std::int32_t dataBits = 8;
    std::int32_t stopBits = 1;
    bool parityCheck = false;
    std::string eventChar;
    std::int32_t timeout = 1000;
    bool openOnCreate = false;
    std::int32_t parity = 0;
    std::int32_t flowControl = 0;
    std::int32_t rtsControl = 0;
    std::int32_t dtrControl = 0;
};

inline constexpr std::int32_t kSerialSettingsVersion = 4;

// Version-4 block of the settings, values stored as given.
Bytes encodeSerialSettings(const SerialSettings& settings);
// Loads a block of version 1 to 4 (fields missing from older versions keep their defaults); nullopt for a
// later version or a block that ends early. An empty block gives the kind's defaults. The values are
// adjusted as writes to the properties would adjust them.
std::optional<SerialSettings> decodeSerialSettings(const Bytes& block);

// The settings as properties 8 ... 19, in number order.
PropertyList serialProperties(const SerialSettings& settings);

}  // namespace tessary
