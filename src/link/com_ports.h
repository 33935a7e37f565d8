// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// COM port numbers to Linux devices.
//
// With TESSARY_PORT_DIR set, COMn is the entry $TESSARY_PORT_DIR/COMn (usually a symlink to a pty or a tty);
// otherwise it is the n-th port of the platform list: USB adapters first (ttyUSB*, then ttyACM*, each in
// natural number order), then other serial ports that have hardware behind them.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tessary::link {

// Device names such as "ttyUSB0", in COM order (the first is COM1).
std::vector<std::string> listSerialPorts(const std::filesystem::path& sysClassTty = "/sys/class/tty");

// Which USB device stands behind a tty ("0403:6001:A50285BI": vendor, product and, when it has one, its
// serial number), so that the same adapter is known again after it was unplugged. Empty for a tty that is
// not on USB (a pty, a built-in port) or a path that names no device.
std::string usbIdentity(const std::string& devicePath,
                        const std::filesystem::path& sysClassTty = "/sys/class/tty");

// The path that COMn names by the rules above; empty when there is no such port.
std::string comDevicePath(int n);

// Every Open resolves its port number through the installed resolver (comDevicePath by default).
// Returns the resolver it replaces; an empty function restores the default.
using ComResolver = std::function<std::string(int n)>;
ComResolver setComResolver(ComResolver resolver);
std::string resolveCom(int n);

}  // namespace tessary::link
