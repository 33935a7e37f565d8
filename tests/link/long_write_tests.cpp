// SPDX-License-Identifier: GPL-3.0-or-later
// A write that lasts: the window thread's events go on (timers, painting), received bytes wait until the
// write has ended, and the caller hears how far the write has come.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "link/serial_port.h"
#include "pty_fixture.h"

namespace tessary::link {
namespace {

using namespace tessary::test;

TEST(LongWrite, KeepsTheThreadGoingHoldsReceivedBytesAndReportsProgress) {
    PortDir dir;
    Pty pty;
    dir.link(5, pty.slavePath());
    RecordingSink sink;
    SerialPort port(main_window::kPort, PortSettings{}, sink);
    port.write(prop::serial::kPortNumber, 5);
    ASSERT_TRUE(port.Open());

    const Bytes big(1 << 20, 0x55);
    std::size_t taken = 0;
    // Each report of progress while the write waits is counted, so that the machine can act between them.
    std::mutex mutex;
    std::condition_variable reported;
    int reports = 0;
    const auto afterReports = [&](int n) {
        std::unique_lock lock(mutex);
        return reported.wait_for(lock, 10s, [&] { return reports >= n; });
    };
    // The machine reads nothing until the write has had to wait; it sends a byte meanwhile.
    std::thread machine([&] {
        if (afterReports(1)) pty.write({0x42});
        afterReports(3);
        taken = pty.read(big.size(), 2s).size();
    });
    bool timerRan = false;
    QTimer::singleShot(0, [&] { timerRan = true; });
    std::vector<std::size_t> progress;
    std::size_t deliveredDuring = 0;
    const bool ok = port.SendData(SendValue(big), [&](std::size_t sent, std::size_t total) {
        EXPECT_EQ(total, big.size());
        progress.push_back(sent);
        deliveredDuring += sink.events.size();
        {
            std::lock_guard lock(mutex);
            ++reports;
        }
        reported.notify_all();
    });
    machine.join();

    EXPECT_TRUE(ok);
    EXPECT_EQ(taken, big.size());
    EXPECT_TRUE(timerRan) << "the thread's events were processed during the write";
    ASSERT_GE(progress.size(), 2u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), big.size());
    EXPECT_EQ(deliveredDuring, 0u) << "received bytes wait for the write to end";
    EXPECT_TRUE(processUntil([&] { return !sink.events.empty(); }));
    EXPECT_EQ(sink.events, (std::vector<RaisedEvent>{{main_window::kPort, event::kDataArrived, 0x42}}));
}

}  // namespace
}  // namespace tessary::link
