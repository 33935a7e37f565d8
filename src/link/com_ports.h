// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// COM port numbers to devices, and what identifies a device again after it was unplugged. Each platform
// says what COMn is (link/posix/port_catalogue.h, link/win32/port_catalogue.h); every Open goes through the
// resolver, which tests point at their own ports.
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tessary::link {

// The path that COMn names on this platform; empty when there is no such port.
std::string comDevicePath(int n);

// Which USB adapter stands behind a port ("0403:6001:A50285BI": vendor, product and, when it has one, its
// serial number); empty for a port that is not on USB or a path that names no device.
std::string deviceIdentity(const std::string& devicePath);

// What the system says a COM port is; a port it says nothing of counts as Other.
enum class PortKind { Usb, Other, Bluetooth };

// The system's COM ports by number and kind, where the system numbers them itself (Windows); empty where
// the numbers are this program's own (Linux, whose list puts the USB adapters first already).
std::map<int, PortKind> systemPortKinds();

// The order in which the start-up scan tries the port numbers 0..count-1 (0 opens COM1, as 1 does): the
// ports of USB adapters first and Bluetooth links last, each group in number order, so that the machine is
// found before a built-in port that opens as readily, and before a Bluetooth link that would call a
// paired device (and hold the window until it answers or gives up).
std::vector<int> scanOrder(int count, const std::map<int, PortKind>& kinds);
// scanOrder over the system's ports; plain number order while a resolver is installed, whose numbers are
// not the system's.
std::vector<int> startupScanOrder(int count);

// Every Open resolves its port number through the installed resolver (comDevicePath by default).
// Returns the resolver it replaces; an empty function restores the default.
using ComResolver = std::function<std::string(int n)>;
ComResolver setComResolver(ComResolver resolver);
std::string resolveCom(int n);

}  // namespace tessary::link
