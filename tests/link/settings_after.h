// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings a SerialPort unit stores after writes to its properties, from the main window's 57600 baud.
#include <utility>
#include <vector>

#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "link/serial_port.h"
#include "pty_fixture.h"

namespace tessary::test {

inline link::PortSettings settingsAfter(const std::vector<std::pair<int, Value>>& writes) {
    RecordingSink sink;
    link::SerialPort port(main_window::kPort, {}, sink);
    port.write(prop::serial::kBaudRate, 57600);
    for (const auto& [p, v] : writes) port.write(p, v);
    return port.settings();
}

}  // namespace tessary::test
