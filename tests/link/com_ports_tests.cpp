// SPDX-License-Identifier: GPL-3.0-or-later
// Every Open resolves its COM number through the installed resolver; the start-up scan tries USB adapters
// first.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "link/com_ports.h"
#include "link/serial_port.h"
#include "pty_fixture.h"

namespace tessary::link {
namespace {

using namespace tessary::test;

TEST(ComPorts, EveryOpenGoesThroughTheInstalledResolver) {
    PortDir dir;
    Pty pty;
    dir.link(4, pty.slavePath());
    std::vector<int> asked;
    auto previous = setComResolver([&](int n) {
        asked.push_back(n);
        return comDevicePath(n);
    });
    RecordingSink sink;
    SerialPort port(main_window::kPort, {}, sink);
    for (int n : {0, 4, 9}) {
        port.write(prop::serial::kPortNumber, n);
        port.Open();
    }
    setComResolver(previous);
    EXPECT_EQ(asked, (std::vector<int>{1, 4, 9}));
}

// A built-in port or a Bluetooth link that opens must not be taken for the machine on a USB adapter.
TEST(ComPorts, TheScanTriesUsbAdaptersFirstAndBluetoothLinksLast) {
    using K = PortKind;
    struct Case {
        const char* what;
        std::map<int, PortKind> kinds;
        std::vector<int> firstTried;  // the rest follow in number order
    };
    const Case cases[] = {
        {"nothing known: in number order", {}, {0, 1, 2, 3}},
        {"built-in ports only", {{1, K::Other}, {2, K::Other}}, {0, 1, 2, 3}},
        {"a built-in COM1, the adapter on COM5", {{1, K::Other}, {5, K::Usb}}, {5, 0, 1, 2}},
        {"the adapter on COM1 is tried as 0 and as 1", {{1, K::Usb}, {7, K::Usb}}, {0, 1, 7, 2}},
        {"Bluetooth links last", {{1, K::Bluetooth}, {3, K::Bluetooth}, {4, K::Usb}}, {4, 2, 5, 6}},
        {"a port beyond the scan changes nothing", {{40, K::Usb}}, {0, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        const std::vector<int> order = scanOrder(32, c.kinds);
        std::vector<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        std::vector<int> all(32);
        std::iota(all.begin(), all.end(), 0);
        EXPECT_EQ(sorted, all) << c.what;
        EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 4), c.firstTried) << c.what;
    }
    EXPECT_EQ(scanOrder(32, {{1, K::Bluetooth}, {3, K::Bluetooth}}).back(), 3);
}

}  // namespace
}  // namespace tessary::link
