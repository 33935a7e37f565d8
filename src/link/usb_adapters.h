// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// USB serial adapters that the system sees but the console cannot open, so that a failed connection can name
// the adapter and what to do about it instead of leaving the operator to guess: one whose driver is missing,
// or one that Windows numbered beyond the ports the console opens.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::link {

struct UsbDevice {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string description;   // the system's name for it; may be empty
    bool withoutPort = false;  // present, but no serial port belongs to it (its driver is missing or taken)
    int comPort = 0;           // the COM port the system numbered for it (Windows); 0: none, or not known
};

// One log line per adapter of the usual USB serial makers (WCH, Silicon Labs, FTDI, Prolific) that has no
// port, naming it and ending with the advice for a missing driver, or whose COM port lies beyond
// `highestPort`, naming it and its port and saying how to renumber it; none when every adapter can be opened.
std::vector<std::string> unreachableAdapterLines(const std::vector<UsbDevice>& devices,
                                                 std::string_view driverAdvice, int highestPort);

// Vendor and product from a Windows hardware id such as "USB\VID_1A86&PID_7523&REV_0264"; false when
// it names none.
bool parseHardwareId(std::string_view hardwareId, UsbDevice& device);

// The platform's list of present USB devices, and what to do about a missing driver there.
std::vector<UsbDevice> presentUsbDevices();
std::string_view missingDriverAdvice();

// Failed connections ask the installed source (presentUsbDevices by default). Returns the source it
// replaces; an empty function restores the default.
using UsbDeviceSource = std::function<std::vector<UsbDevice>()>;
UsbDeviceSource setUsbDeviceSource(UsbDeviceSource source);
std::vector<std::string> unreachableAdapterLines(int highestPort);

}  // namespace tessary::link
