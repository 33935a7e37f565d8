// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// COM port numbers to devices, and what identifies a device again after it was unplugged. Each platform
// says what COMn is (link/posix/port_catalogue.h, link/win32/port_catalogue.h); every Open goes through the
// resolver, which tests point at their own ports.
#include <functional>
#include <string>

namespace tessary::link {

// The path that COMn names on this platform; empty when there is no such port.
std::string comDevicePath(int n);

// Which USB adapter stands behind a port ("0403:6001:A50285BI": vendor, product and, when it has one, its
// serial number); empty for a port that is not on USB or a path that names no device.
std::string deviceIdentity(const std::string& devicePath);

// Every Open resolves its port number through the installed resolver (comDevicePath by default).
// Returns the resolver it replaces; an empty function restores the default.
using ComResolver = std::function<std::string(int n)>;
ComResolver setComResolver(ComResolver resolver);
std::string resolveCom(int n);

}  // namespace tessary::link
