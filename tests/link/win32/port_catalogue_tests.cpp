// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows port catalogue: which device instance IDs name a USB adapter, and as what.
#include <gtest/gtest.h>

#include "link/win32/port_catalogue.h"

namespace tessary::link {
namespace {

TEST(PortCatalogue, AUsbAdapterIsKnownByVendorProductAndSerialNumberAsOnLinux) {
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"USB\\VID_0403&PID_6001\\A50285BI", "0403:6001:A50285BI"},
        {L"USB\\VID_1A86&PID_7523\\5&2C5B2D8B&0&2", "1a86:7523"},  // no serial number of its own
        {L"USB\\VID_2341&PID_0043&MI_00\\6&1A2B3C&0&0000", ""},    // an interface: ask its parent
        {L"FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", ""},       // the driver's node: ask its parent
        {L"ACPI\\PNP0501\\1", ""},                                 // a built-in port
        {L"usb\\vid_10c4&pid_ea60\\0001", "10c4:ea60:0001"},
        {L"USB\\VID_10C4&PID_EA6\\0001", ""},  // malformed
    };
    for (const auto& [id, identity] : cases) EXPECT_EQ(usbIdentityOfInstance(id), identity) << identity;
}

}  // namespace
}  // namespace tessary::link
