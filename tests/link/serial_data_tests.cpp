// SPDX-License-Identifier: GPL-3.0-or-later
// SendData's bytes on the wire and the delivery of received bytes to the window thread, on real ptys.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <memory>
#include <thread>

#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "link/event_queue.h"
#include "link/serial_port.h"
#include "pty_fixture.h"

namespace tessary::link {
namespace {

using namespace tessary::test;
namespace sp = prop::serial;

class OpenPort : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_.link(5, pty.slavePath());
        port = std::make_unique<SerialPort>(main_window::kPort, PortSettings{}, sink);
        port->write(sp::kPortNumber, 5);
        port->write(sp::kBaudRate, 57600);
        ASSERT_TRUE(port->Open());
    }
    std::vector<int> received() const {
        std::vector<int> bytes;
        for (const auto& e : sink.events)
            if (e.event == event::kDataArrived) bytes.push_back(e.value);
        return bytes;
    }

    PortDir dir_;
    Pty pty;
    RecordingSink sink;
    std::unique_ptr<SerialPort> port;
};

struct WireCase {
    const char* what;
    SendValue value;
    Bytes wire;
};

TEST_F(OpenPort, EachValueTypeSendsItsByteForm) {
    const WireCase cases[] = {
        {"byte", std::uint8_t{0xF1}, {0xF1}},
        {"integer 1", std::int32_t{1}, {0x01, 0x00, 0x00, 0x00}},
        {"three-character text", std::string("abc"), {'a', 'b', 'c'}},
        {"short", std::int16_t{-2}, {0xFE, 0xFF}},
        {"long", std::int64_t{0x0102030405060708}, {8, 7, 6, 5, 4, 3, 2, 1}},
        {"float 1.0", 1.0f, {0x00, 0x00, 0x80, 0x3F}},
        {"double -2.0", -2.0, {0, 0, 0, 0, 0, 0, 0x00, 0xC0}},
        {"boolean true", Boolean{true}, {1, 0, 0, 0}},
        {"date-time", DateTime{1.5}, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}},
        {"subroutine pointer", SubroutinePointer{0x00401000}, {0x00, 0x10, 0x40, 0x00}},
        {"byte set", Bytes{0xFE, 0x00, 0xFF}, {0xFE, 0x00, 0xFF}},
        {"text with a zero inside", std::string("a\0b", 3), {'a', 0, 'b'}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(port->SendData(c.value)) << c.what;
        EXPECT_EQ(pty.read(c.wire.size()), c.wire) << c.what;
    }
    EXPECT_TRUE(pty.read(1, 100ms).empty());
}

TEST_F(OpenPort, EmptyValuesWriteNothingAndValuesWithoutByteFormFail) {
    EXPECT_TRUE(port->SendData(Bytes{}));
    EXPECT_TRUE(port->SendData(std::string()));
    EXPECT_FALSE(port->SendData(OtherValue{}));
    EXPECT_TRUE(pty.read(1, 100ms).empty());
}

TEST_F(OpenPort, AClosedPortSendsNothing) {
    port->Close();
    for (const SendValue& v :
         {SendValue{std::uint8_t{1}}, SendValue{Bytes{}}, SendValue{std::string()}, SendValue{Bytes{1, 2}}})
        EXPECT_FALSE(port->SendData(v));
    port->Close();  // allowed on a closed unit
}

TEST_F(OpenPort, AWholeImageGoesOutInOneSendData) {
    Bytes image(32830);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    Bytes wire;
    std::thread machine([&] { wire = pty.read(image.size(), 2s); });
    EXPECT_TRUE(port->SendData(image));
    machine.join();
    EXPECT_EQ(wire, image);
}

// A machine takes bytes only as fast as its line carries them (57600 baud: 5,760 a second), or slower but
// steadily; either way the image goes out whole and no pause of the driver counts as a stall.
TEST_F(OpenPort, AWholeImageGoesOutToAMachineThatReadsAtItsLinesRate) {
    struct Case {
        int bytesPerSecond;
        std::size_t size;
    };
    for (const Case c : {Case{5760, 32830}, Case{1000, 8000}}) {
        Bytes image(c.size);
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 13 + (i >> 9));
        Bytes wire;
        std::thread machine([&] { wire = pty.readAtRate(image.size(), c.bytesPerSecond); });
        EXPECT_TRUE(port->SendData(image)) << c.bytesPerSecond << " bytes a second";
        machine.join();
        EXPECT_EQ(wire, image) << c.bytesPerSecond << " bytes a second";
    }
}

TEST_F(OpenPort, AWriteTheFarEndStopsTakingFailsInsteadOfWaitingOutItsWholeAllowance) {
    // At 100 ms per byte a megabyte may take 29 hours; a machine that reads nothing stalls it at once.
    port->write(sp::kTimeout, 100);
    ASSERT_TRUE(port->Open());
    EXPECT_FALSE(port->SendData(Bytes(1 << 20, 0x55)));
    EXPECT_TRUE(port->isOpen());
}

TEST_F(OpenPort, ABurstRaisesOneDataArrivedPerByteInOrder) {
    constexpr std::size_t kBurst = 5000;
    Bytes burst(kBurst);
    for (std::size_t i = 0; i < kBurst; ++i) burst[i] = static_cast<std::uint8_t>((i * 31) ^ (i >> 3));
    pty.write(burst);
    ASSERT_TRUE(processUntil([&] { return sink.events.size() >= kBurst; }));
    processFor(50ms);
    ASSERT_EQ(sink.events.size(), kBurst);
    for (std::size_t i = 0; i < kBurst; ++i) {
        ASSERT_EQ(sink.events[i], (RaisedEvent{main_window::kPort, event::kDataArrived, burst[i]}))
            << "byte " << i;
    }
}

TEST_F(OpenPort, AFloodOfBytesLeavesTheThreadsOtherEventsTheirTurn) {
    constexpr std::size_t kFlood = 100000;
    pty.write(Bytes(kFlood, 0x55));  // the worker takes all of it in meanwhile, without the window thread
    std::this_thread::sleep_for(200ms);
    std::size_t deliveredWhenTimerRan = 0;
    QTimer::singleShot(0, [&] { deliveredWhenTimerRan = sink.events.size(); });
    ASSERT_TRUE(processUntil([&] { return sink.events.size() >= kFlood; }));
    EXPECT_GT(deliveredWhenTimerRan, 0u);
    EXPECT_LT(deliveredWhenTimerRan, kFlood);
}

TEST(EventQueueLimit, BytesBeyondTheLimitAreDroppedButTheLossStillQueues) {
    QObject target;
    EventQueue queue;
    queue.setTarget(&target);
    const std::vector<QueueEntry> bytes(EventQueue::kMaxQueued - 1, {QueueEntry::Type::Byte, 7});
    queue.append(bytes.data(), bytes.size());
    const QueueEntry tail[] = {{QueueEntry::Type::Byte, 1},
                               {QueueEntry::Type::Byte, 2},
                               {QueueEntry::Type::LineStatus, 4},
                               {QueueEntry::Type::DeviceGone, 0}};
    queue.append(tail, 4);
    const auto taken = queue.take(EventQueue::kMaxQueued + 10);
    ASSERT_EQ(taken.size(), EventQueue::kMaxQueued + 2);
    EXPECT_EQ(taken[EventQueue::kMaxQueued - 1].value, 1);
    EXPECT_EQ(taken[EventQueue::kMaxQueued].type, QueueEntry::Type::LineStatus);
    EXPECT_EQ(taken.back().type, QueueEntry::Type::DeviceGone);
    QCoreApplication::removePostedEvents(&target);
}

TEST_F(OpenPort, OneNotificationDeliversEverythingQueued) {
    pty.write(Bytes(300, 0x55));
    std::this_thread::sleep_for(200ms);  // the worker queues the whole burst meanwhile
    sink.onRaise = [](const RaisedEvent&) {
        QCoreApplication::removePostedEvents(nullptr, EventQueue::notificationType());
    };
    processFor(100ms);
    EXPECT_EQ(received().size(), 300u);
}

TEST_F(OpenPort, CloseDropsBytesNotYetDelivered) {
    pty.write(Bytes(100, 0xAA));
    std::this_thread::sleep_for(200ms);
    port->Close();
    processFor(100ms);
    EXPECT_TRUE(sink.events.empty());
}

// Where a burst is split between two reads, LineStatus 7 comes before the read that holds the character.
TEST_F(OpenPort, TheEventCharacterRaisesLineStatus7BeforeItArrives) {
    port->write(sp::kEventChar, "Z");
    ASSERT_TRUE(port->Open());
    pty.write({'x', 'Z', 'y'});
    ASSERT_TRUE(processUntil([&] { return sink.events.size() >= 4; }));
    processFor(50ms);
    std::vector<RaisedEvent> withoutStatus = sink.events;
    const auto status = std::find(withoutStatus.begin(), withoutStatus.end(),
                                  RaisedEvent{main_window::kPort, event::kLineStatus, 7});
    ASSERT_NE(status, withoutStatus.end());
    const auto statusAt = status - withoutStatus.begin();
    withoutStatus.erase(status);
    EXPECT_EQ(withoutStatus, (std::vector<RaisedEvent>{{main_window::kPort, event::kDataArrived, 'x'},
                                                       {main_window::kPort, event::kDataArrived, 'Z'},
                                                       {main_window::kPort, event::kDataArrived, 'y'}}));
    EXPECT_LE(statusAt, 1);
}

TEST_F(OpenPort, NothingIsRaisedOnceTheWindowStopsTakingEvents) {
    sink.alive_ = false;
    pty.write(Bytes(10, 1));
    processFor(200ms);
    EXPECT_TRUE(sink.events.empty());
}

TEST_F(OpenPort, AHandlerMayDestroyTheUnitWhoseEventItHandles) {
    sink.onRaise = [this](const RaisedEvent&) { port.reset(); };
    pty.write(Bytes(50, 7));
    processFor(300ms);
    EXPECT_EQ(sink.events.size(), 1u);
}

TEST_F(OpenPort, BytesThatArriveAfterTheWriteStillArrive) {
    ASSERT_TRUE(port->SendData(std::uint8_t{0xF1}));
    EXPECT_EQ(pty.read(1), Bytes{0xF1});
    pty.write({0xFF, 0x01, 0x17, 0x02, 0x2D});
    ASSERT_TRUE(processUntil([&] { return received().size() >= 5; }));
    EXPECT_EQ(received(), (std::vector<int>{0xFF, 0x01, 0x17, 0x02, 0x2D}));
}

TEST_F(OpenPort, TheMachinesBytesSurviveThePurgeThatStartsEachWrite) {
    std::vector<int> sent;
    for (int round = 0; round < 20; ++round) {
        Bytes report = {0xFF, std::uint8_t(round), 0x17, 0x02, 0x2D};
        pty.write(report);
        sent.insert(sent.end(), report.begin(), report.end());
        ASSERT_TRUE(port->SendData(std::uint8_t{0xF2}));
    }
    ASSERT_TRUE(processUntil([&] { return received().size() >= sent.size(); }));
    EXPECT_EQ(received(), sent);
    EXPECT_EQ(pty.read(20), Bytes(20, 0xF2));
}

TEST_F(OpenPort, AMachineUnpluggedDuringAWriteEndsItAtOnceAndIsToldOnce) {
    // The machine reads nothing, so the write waits for room; it is unplugged while the write waits, and the
    // loss must end the write well before its stall.
    bool unplugged = false;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port->SendData(Bytes(1 << 20, 0x55), [&](std::size_t, std::size_t) {
        if (!unplugged) pty.closeMaster();
        unplugged = true;
    }));
    EXPECT_TRUE(unplugged);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    processFor(100ms);
    EXPECT_EQ(sink.events, (std::vector<RaisedEvent>{{main_window::kPort, event::kDeviceGone, 0}}));
}

TEST_F(OpenPort, AVanishedDeviceNeitherSpinsNorHangs) {
    pty.closeMaster();
    std::this_thread::sleep_for(100ms);
    const auto cpuBefore = processCpuTime();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(1s);
    const auto cpu = processCpuTime() - cpuBefore;
    const auto wall = std::chrono::steady_clock::now() - wallBefore;
    EXPECT_LT(cpu * 100, wall * 5) << "CPU " << cpu.count() << " us in a second";

    EXPECT_FALSE(port->SendData(std::uint8_t{1}));
    EXPECT_FALSE(port->SendData(Bytes(5000, 1)));
    processFor(50ms);
    EXPECT_EQ(sink.events, (std::vector<RaisedEvent>{{main_window::kPort, event::kDeviceGone, 0}}))
        << "the loss is told once";
    const auto closeStart = std::chrono::steady_clock::now();
    port->Close();
    EXPECT_LT(std::chrono::steady_clock::now() - closeStart, 500ms);
    EXPECT_FALSE(port->isOpen());
}

TEST_F(OpenPort, CloseReturnsAtOnceAndReleasesThePortWhateverTheMachineLeftUnread) {
    struct Case {
        const char* what;
        bool write, closeDuringWrite;
    };
    const Case cases[] = {{"idle", false, false},
                          {"after a write the machine stopped taking", true, false},
                          {"during a write the machine does not take", true, true}};
    using std::chrono::steady_clock;
    port->write(sp::kTimeout, 100);  // a stalled write fails after 200 ms
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(port->Open());
        steady_clock::duration closing{};
        const auto timedClose = [&] {
            const auto start = steady_clock::now();
            port->Close();
            closing = steady_clock::now() - start;
        };
        if (c.write) {
            const auto start = steady_clock::now();
            EXPECT_FALSE(port->SendData(SendValue(Bytes(1 << 20, 0x55)), [&](std::size_t, std::size_t) {
                if (c.closeDuringWrite && port->isOpen()) timedClose();
            }));
            // Not the write's whole allowance (29 hours): the driver's buffer, which the line could still be
            // carrying, and then 200 ms without progress.
            EXPECT_LT(steady_clock::now() - start, c.closeDuringWrite ? 500ms : 10s);
        }
        if (port->isOpen()) timedClose();
        EXPECT_LT(closing, 200ms);
        SerialPort other(main_window::kPort, {}, sink);
        other.write(sp::kPortNumber, 5);
        EXPECT_TRUE(other.Open()) << "the port was released";
    }
}

}  // namespace
}  // namespace tessary::link
