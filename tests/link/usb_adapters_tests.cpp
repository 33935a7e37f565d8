// SPDX-License-Identifier: GPL-3.0-or-later
// Naming a USB serial adapter that has no port, or one beyond the scan: the decision over a device list, and
// the ids Windows gives.
#include <gtest/gtest.h>

#include "link/usb_adapters.h"

namespace tessary::link {
namespace {

TEST(MissingDriver, OnlyAdaptersOfTheUsualMakersWithoutAPortOrBeyondTheScanAreNamed) {
    const std::string advice = "install it";
    struct Case {
        std::vector<UsbDevice> devices;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {{}, {}},
        {{{0x1A86, 0x7523, "USB2.0-Serial", false}}, {}},  // driver installed: it has its port
        {{{0x046D, 0xC52B, "Receiver", true}}, {}},        // not a serial adapter's maker
        {{{0x1A86, 0x7523, "USB2.0-Serial", true}},
         {"USB serial adapter CH340/CH341 (1A86:7523, \"USB2.0-Serial\") has no COM port: install "
          "it\r\n\r\n"}},
        {{{0x10C4, 0xEA60, "", true},
          {0x0403, 0x6001, "FT232R\x01\xC3\xA9 ", true},
          {0x067B, 0x2303, "x", false}},
         {"USB serial adapter CP210x (10C4:EA60) has no COM port: install it\r\n\r\n",
          "USB serial adapter FTDI (0403:6001, \"FT232R\") has no COM port: install it\r\n\r\n"}},
        // Windows numbered it beyond the ports the console opens.
        {{{0x1A86, 0x7523, "USB-SERIAL CH340", false, 40}, {0x10C4, 0xEA60, "", false, 31}},
         {"USB serial adapter CH340/CH341 (1A86:7523, \"USB-SERIAL CH340\") is on COM40, beyond COM31: give "
          "it a "
          "lower number in Device Manager (COM40, Properties, Port Settings, Advanced)\r\n\r\n"}},
        {{{0x046D, 0xC52B, "Receiver", false, 40}}, {}},
        {std::vector<UsbDevice>(9, {0x067B, 0x2303, "", true}),
         std::vector<std::string>(
             4, "USB serial adapter PL2303 (067B:2303) has no COM port: install it\r\n\r\n")},
    };
    for (const Case& c : cases) EXPECT_EQ(unreachableAdapterLines(c.devices, advice, 31), c.lines);
}

TEST(MissingDriver, WindowsHardwareIdsGiveVendorAndProduct) {
    struct Case {
        std::string id;
        bool parsed;
        std::uint16_t vendor, product;
    };
    for (const Case& c : std::vector<Case>{{"USB\\VID_1A86&PID_7523&REV_0264", true, 0x1A86, 0x7523},
                                           {"USB\\VID_0403&PID_6001", true, 0x0403, 0x6001},
                                           {"USB\\ROOT_HUB30", false, 0, 0},
                                           {"HID\\VID_1A86&PID_7523", false, 0, 0},
                                           {"USB\\VID_1A8", false, 0, 0},
                                           {"USB\\VID_XYZW&PID_7523", false, 0, 0},
                                           {"USB\\VID_1A86&PID_75", false, 0, 0}}) {
        UsbDevice device;
        const bool parsed = parseHardwareId(c.id, device);
        EXPECT_EQ(std::make_tuple(parsed, device.vendor, device.product),
                  std::make_tuple(c.parsed, c.vendor, c.product))
            << c.id;
    }
}

}  // namespace
}  // namespace tessary::link
