// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/handlers/machine_port.h"

#include "app/definitions/unit_names.h"

namespace tessary::engrave {

link::SerialPort* machinePort(Console& console) {
    return link::findSerialPort(console.main(), main_window::kPort);
}

bool sendEach(Console& console, std::span<const std::uint8_t> bytes) {
    link::SerialPort* port = machinePort(console);
    if (!port) return false;
    for (std::uint8_t byte : bytes) {
        if (!port->SendData(link::SendValue(byte))) return false;
    }
    return true;
}

}  // namespace tessary::engrave
