// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The USB devices Linux lists in sysfs, each marked when none of its interfaces carries a tty.
#include <filesystem>
#include <vector>

#include "link/usb_adapters.h"

namespace tessary::link {

std::vector<UsbDevice> usbDevicesIn(const std::filesystem::path& sysBusUsbDevices = "/sys/bus/usb/devices");

}  // namespace tessary::link
