// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's link to the machine, its serial port unit, as the engraving handlers use it.
#include <cstdint>
#include <span>

#include "app/console.h"
#include "app/definitions/unit_names.h"
#include "link/serial_port.h"

namespace tessary::engrave {

// nullptr when the main window's port is not a serial port unit.
link::SerialPort* machinePort(Console& console);

// Each byte in a SendData call of its own, as the machine expects; true when every byte was written.
// Stops at the first byte that fails: a sub-code or parameter byte arriving without its prefix would reach
// the machine as a burning time.
bool sendEach(Console& console, std::span<const std::uint8_t> bytes);

}  // namespace tessary::engrave
