// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// COM port numbers to Linux devices.
//
// With TESSARY_PORT_DIR set, COMn is the entry $TESSARY_PORT_DIR/COMn (usually a symlink to a pty or a tty);
// otherwise it is the n-th port of the platform list: USB adapters first (ttyUSB*, then ttyACM*, each in
// natural number order), then other serial ports that have hardware behind them.
#include <filesystem>
#include <string>
#include <vector>

namespace tessary::link {

// Device names such as "ttyUSB0", in COM order (the first is COM1).
std::vector<std::string> listSerialPorts(const std::filesystem::path& sysClassTty = "/sys/class/tty");

// The first line of a sysfs attribute file; empty when it cannot be read.
std::string sysfsAttribute(const std::filesystem::path& file);

// deviceIdentity() read from a sysfs tree.
std::string usbIdentity(const std::string& devicePath,
                        const std::filesystem::path& sysClassTty = "/sys/class/tty");

}  // namespace tessary::link
