#include "engrave/handlers/machine_port.h"

namespace tessary::engrave {

link::SerialPort* machinePort(Console& console) { return link::findSerialPort(console.main(), kMachinePort); }

bool sendEach(Console& console, std::span<const std::uint8_t> bytes) {
    link::SerialPort* port = machinePort(console);
    bool all = port != nullptr;
    for (std::uint8_t byte : bytes) {
        if (!port || !port->SendData(link::SendValue(byte))) all = false;
    }
    return all;
}

}  // namespace tessary::engrave
