// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux port catalogue: the platform list's order and the USB identity, over a stand-in for sysfs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/posix/port_catalogue.h"

namespace tessary::link {
namespace {

namespace fs = std::filesystem;

// A stand-in for /sys/class/tty: each entry may have a bound driver and a UART type.
class FakeSysClassTty {
  public:
    FakeSysClassTty() {
        std::string pattern = (fs::temp_directory_path() / "tessary-sys-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
    }
    ~FakeSysClassTty() { fs::remove_all(root_); }
    void add(const std::string& name, bool driver, int type = -1) {
        fs::create_directories(root_ / name / "device");
        if (driver) fs::create_directory_symlink("/", root_ / name / "device" / "driver");
        if (type >= 0) std::ofstream(root_ / name / "type") << type << "\n";
    }
    const fs::path& root() const { return root_; }

  private:
    fs::path root_;
};

TEST(ComPorts, ThePlatformListPutsUsbAdaptersFirstInNaturalOrder) {
    FakeSysClassTty sys;
    sys.add("ttyS0", true, 4);  // a 16550A
    sys.add("ttyS1", true, 0);  // legacy port without a chip
    sys.add("ttyS2", false);    // no driver bound
    sys.add("tty3", false);     // virtual console
    sys.add("ttyACM0", true);
    sys.add("ttyUSB10", true);
    sys.add("ttyUSB2", true);
    sys.add("ttyAMA0", true);
    sys.add("ttyS10", true, 4);
    sys.add("ttyUSB1", true);
    const std::vector<std::string> expected = {"ttyUSB1", "ttyUSB2", "ttyUSB10", "ttyACM0",
                                               "ttyAMA0", "ttyS0",   "ttyS10"};
    EXPECT_EQ(listSerialPorts(sys.root()), expected);
}

TEST(ComPorts, AUsbAdapterIsKnownByVendorProductAndSerialNumber) {
    FakeSysClassTty sys;
    const fs::path devices = sys.root() / "devices", dev = sys.root() / "dev";
    fs::create_directories(dev);
    // name, USB device folder (relative to devices, empty: not on USB), its files, expected identity
    struct Case {
        const char* name;
        const char* usbDevice;
        std::vector<std::pair<const char*, const char*>> files;
        std::string identity;
    };
    const Case cases[] = {
        {"ttyUSB0",
         "usb1/1-1",
         {{"idVendor", "0403"}, {"idProduct", "6001"}, {"serial", "A50285BI"}},
         "0403:6001:A50285BI"},
        {"ttyUSB1", "usb1/1-2", {{"idVendor", "1a86"}, {"idProduct", "7523"}}, "1a86:7523"},
        {"ttyS0", "", {}, ""},
    };
    for (const Case& c : cases) {
        std::ofstream(dev / c.name).put('\0');
        fs::path device = devices / "platform" / c.name;
        if (*c.usbDevice) {
            for (const auto& [file, value] : c.files) {
                fs::create_directories(devices / c.usbDevice);
                std::ofstream(devices / c.usbDevice / file) << value << "\n";
            }
            device =
                devices / c.usbDevice / (std::string(fs::path(c.usbDevice).filename()) + ":1.0") / c.name;
        }
        fs::create_directories(device);
        fs::create_directories(sys.root() / c.name);
        fs::create_directory_symlink(device, sys.root() / c.name / "device");
        EXPECT_EQ(usbIdentity((dev / c.name).string(), sys.root()), c.identity) << c.name;
    }
    EXPECT_EQ(usbIdentity((dev / "ttyUSB9").string(), sys.root()), "") << "a device that is gone";
}

}  // namespace
}  // namespace tessary::link
