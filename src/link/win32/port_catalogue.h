// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// COM ports on Windows: COMn is the device \\.\COMn; the ports present are those the serial drivers list in
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM; a USB adapter is known by the device instance behind its port.
#include <map>
#include <string>
#include <vector>

namespace tessary::link {

// The numbers of the COM ports present, in increasing order.
std::vector<int> listSerialPorts();

// The identity that a device instance ID gives ("USB\VID_0403&PID_6001\A50285BI" gives "0403:6001:A50285BI",
// the same form as on Linux); empty for an ID that is not a USB device's own (an interface of a composite
// device, a driver's bus node, a port without USB) whose parent is to be asked instead.
std::string usbIdentityOfInstance(const std::wstring& instanceId);

// Every present port the device manager lists, by number, with its identity (empty when it has none): one
// walk over the system's ports.
std::map<int, std::string> managedPorts();

}  // namespace tessary::link
