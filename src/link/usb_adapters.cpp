// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/usb_adapters.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <mutex>
#include <utility>

namespace tessary::link {
namespace {

struct Maker {
    std::uint16_t vendor;
    const char* chips;
};
constexpr std::array<Maker, 4> kSerialMakers{{
    {0x1A86, "CH340/CH341"},
    {0x10C4, "CP210x"},
    {0x0403, "FTDI"},
    {0x067B, "PL2303"},
}};
constexpr std::size_t kMostLines = 4;

// Descriptions come from the device itself: keep them printable and short.
std::string printable(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (out.size() >= 60) break;
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F && u < 0x80) out += c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::mutex sourceMutex;
UsbDeviceSource installedSource;

}  // namespace

std::vector<std::string> unreachableAdapterLines(const std::vector<UsbDevice>& devices,
                                                 std::string_view driverAdvice, int highestPort) {
    std::vector<std::string> lines;
    for (const UsbDevice& device : devices) {
        const bool beyond = !device.withoutPort && device.comPort > highestPort;
        if ((!device.withoutPort && !beyond) || lines.size() == kMostLines) continue;
        for (const Maker& maker : kSerialMakers) {
            if (maker.vendor != device.vendor) continue;
            char ids[16];
            std::snprintf(ids, sizeof ids, "%04X:%04X", device.vendor, device.product);
            const std::string name = printable(device.description);
            const std::string adapter = "USB serial adapter " + std::string(maker.chips) + " (" + ids +
                                        (name.empty() ? "" : ", \"" + name + "\"") + ")";
            const std::string port = "COM" + std::to_string(device.comPort);
            lines.push_back(beyond
                                ? adapter + " is on " + port + ", beyond COM" + std::to_string(highestPort) +
                                      ": give it a lower number in Device Manager (" + port +
                                      ", Properties, Port Settings, Advanced)\r\n\r\n"
                                : adapter + " has no COM port: " + std::string(driverAdvice) + "\r\n\r\n");
        }
    }
    return lines;
}

bool parseHardwareId(std::string_view id, UsbDevice& device) {
    auto field = [&id](std::string_view key, std::uint16_t& value) {
        const auto at = id.find(key);
        if (at == std::string_view::npos || id.size() < at + key.size() + 4) return false;
        const char* first = id.data() + at + key.size();
        auto [end, ec] = std::from_chars(first, first + 4, value, 16);
        return ec == std::errc() && end == first + 4;
    };
    std::uint16_t vendor = 0, product = 0;
    if (id.rfind("USB\\", 0) != 0 || !field("VID_", vendor) || !field("PID_", product)) return false;
    device.vendor = vendor;
    device.product = product;
    return true;
}

UsbDeviceSource setUsbDeviceSource(UsbDeviceSource source) {
    std::lock_guard lock(sourceMutex);
    return std::exchange(installedSource, std::move(source));
}

std::vector<std::string> unreachableAdapterLines(int highestPort) {
    UsbDeviceSource source;
    {
        std::lock_guard lock(sourceMutex);
        source = installedSource;
    }
    return unreachableAdapterLines(source ? source() : presentUsbDevices(), missingDriverAdvice(),
                                   highestPort);
}

}  // namespace tessary::link
