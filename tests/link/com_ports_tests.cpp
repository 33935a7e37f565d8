// SPDX-License-Identifier: GPL-3.0-or-later
// Every Open resolves its COM number through the installed resolver.
#include <gtest/gtest.h>

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
    SerialPort port("端口1", {}, sink);
    for (int n : {0, 4, 9}) {
        port.write(prop::serial::kPortNumber, n);
        port.Open();
    }
    setComResolver(previous);
    EXPECT_EQ(asked, (std::vector<int>{1, 4, 9}));
}

}  // namespace
}  // namespace tessary::link
