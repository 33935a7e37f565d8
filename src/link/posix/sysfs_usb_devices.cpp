// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/posix/sysfs_usb_devices.h"

#include <charconv>
#include <string>
#include <system_error>

#include "link/posix/port_catalogue.h"

namespace tessary::link {
namespace fs = std::filesystem;
namespace {

bool hexId(const std::string& text, std::uint16_t& id) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id, 16);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// usb-serial drivers put ttyUSBn right under the interface, cdc-acm puts tty/ttyACMn; a few levels cover
// both.
bool carriesTty(const fs::path& dir, int depth) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_symlink(ec) || !it->is_directory(ec)) continue;
        const std::string name = it->path().filename().string();
        if (name.rfind("tty", 0) == 0) return true;
        if (depth > 0 && carriesTty(it->path(), depth - 1)) return true;
    }
    return false;
}

}  // namespace

std::vector<UsbDevice> usbDevicesIn(const fs::path& sysBusUsbDevices) {
    std::vector<UsbDevice> devices;
    std::error_code ec;
    for (fs::directory_iterator it(sysBusUsbDevices, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path entry = it->path();
        UsbDevice device;
        if (!hexId(sysfsAttribute(entry / "idVendor"), device.vendor) ||
            !hexId(sysfsAttribute(entry / "idProduct"), device.product))
            continue;  // an interface or something unreadable, not a device
        device.description = sysfsAttribute(entry / "product");
        // A device's interfaces are the folders "<device>:<config>.<interface>" inside it.
        const std::string prefix = entry.filename().string() + ":";
        bool tty = false;
        std::error_code inner;
        for (fs::directory_iterator sub(entry, inner), stop; !inner && sub != stop && !tty;
             sub.increment(inner)) {
            if (sub->path().filename().string().rfind(prefix, 0) == 0) tty = carriesTty(sub->path(), 2);
        }
        device.withoutPort = !tty;
        devices.push_back(std::move(device));
    }
    return devices;
}

std::vector<UsbDevice> presentUsbDevices() { return usbDevicesIn(); }

std::string_view missingDriverAdvice() {
    return "see \"Troubleshooting\" in the README (brltty may hold it, or its driver is missing)";
}

}  // namespace tessary::link
