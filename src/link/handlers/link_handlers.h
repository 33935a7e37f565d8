// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Connection management of the main window: which COM port its port unit opens, and the controls that follow
// it.
#include "app/console.h"

namespace tessary {

namespace link {
// Click on Connect: opens the port chosen in the COM list.
void manualConnection(Console& console, const EventArgs& args);
// Last step of start-up: COM1, COM1, COM2 ... COM31, the first that opens is the machine's.
void automaticConnection(Console& console, const EventArgs& args);
// Click on Break.
void disconnection(Console& console, const EventArgs& args);
// DeviceGone of the port unit: the port is closed, the window shows it disconnected, and the console watches
// for the device to come back and reopens it.
void connectionLost(Console& console, const EventArgs& args);

inline constexpr std::string_view kConnectionLostLine =
    "Connection lost: the machine was unplugged or switched off\r\n\r\n";
inline constexpr std::string_view kReconnectedLine = "Reconnected to the machine\r\n\r\n";
// Run, when registered, after each opening of the machine's port (Connect, the start-up scan, the lost
// machine back).
inline constexpr std::string_view kConnectedHandler = "machineConnected";
}  // namespace link

// "connect", "automaticConnection", "disconnect", "connectionLost".
void registerLinkHandlers(HandlerRegistry& registry);

}  // namespace tessary
