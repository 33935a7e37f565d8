// SPDX-License-Identifier: GPL-3.0-or-later
// Which USB devices in a sysfs tree carry a tty: usb-serial and cdc-acm layouts, and an adapter left bare.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "link/posix/sysfs_usb_devices.h"

namespace tessary::link {
namespace {
namespace fs = std::filesystem;

TEST(SysfsUsbDevices, AnAdapterWithoutATtyIsMarked) {
    std::string pattern = (fs::temp_directory_path() / "tessary-usb-XXXXXX").string();
    const fs::path root = ::mkdtemp(pattern.data());
    auto device = [&root](const std::string& name, const std::string& vendor, const std::string& product,
                          const std::string& tty) {
        fs::create_directories(root / name / (name + ":1.0"));
        std::ofstream(root / name / "idVendor") << vendor << "\n";
        std::ofstream(root / name / "idProduct") << product << "\n";
        std::ofstream(root / name / "product") << "Adapter " << name << "\n";
        if (!tty.empty()) fs::create_directories(root / name / (name + ":1.0") / tty);
    };
    device("1-1", "1a86", "7523", "");             // held by brltty, or no ch341 module
    device("1-2", "0403", "6001", "ttyUSB0");      // usb-serial
    device("1-3", "2341", "0043", "tty/ttyACM0");  // cdc-acm
    fs::create_directories(root / "1-2:1.0");      // an interface listed beside its device
    std::ofstream(root / "usb1") << "not a folder\n";
    auto devices = usbDevicesIn(root);
    std::sort(devices.begin(), devices.end(), [](auto& a, auto& b) { return a.description < b.description; });
    fs::remove_all(root);
    ASSERT_EQ(devices.size(), 3u);
    const std::vector<std::tuple<std::uint16_t, std::uint16_t, std::string, bool>> expected = {
        {0x1A86, 0x7523, "Adapter 1-1", true},
        {0x0403, 0x6001, "Adapter 1-2", false},
        {0x2341, 0x0043, "Adapter 1-3", false}};
    for (std::size_t i = 0; i < devices.size(); ++i)
        EXPECT_EQ(std::make_tuple(devices[i].vendor, devices[i].product, devices[i].description,
                                  devices[i].withoutPort),
                  expected[i]);
}

}  // namespace
}  // namespace tessary::link
