// SPDX-License-Identifier: GPL-3.0-or-later
// The SerialPort unit's properties, stored settings block and line settings, on real ptys.
#include <gtest/gtest.h>

#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "app/model/serial_settings.h"
#include "link/serial_port.h"
#include "pty_fixture.h"
#include "settings_after.h"

namespace tessary::link {
namespace {

using namespace tessary::test;
namespace sp = prop::serial;

Bytes mainWindowBlock() {
    Bytes b;
    for (std::int32_t v : {4, 1, 57600, 8, 1, 0, 1000, 0, 0, 0, 0, 0, 0})
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
    return b;
}

struct Adjustment {
    int property;
    Value written;
    Value stored;
};

TEST(SerialPortProperties, WritesStoreTheAdjustedValue) {
    const Adjustment cases[] = {
        {sp::kPortNumber, 0, 1},  {sp::kPortNumber, -7, 1},      {sp::kPortNumber, 32, 32},
        {sp::kBaudRate, -1, 0},   {sp::kBaudRate, 57600, 57600}, {sp::kDataBits, 3, 3},
        {sp::kStopBits, 4, 3},    {sp::kStopBits, 0, 1},         {sp::kStopBits, 2, 2},
        {sp::kParityCheck, 5, 1}, {sp::kParityCheck, 0, 0},      {sp::kEventChar, "xy", "xy"},
        {sp::kTimeout, -5, 0},    {sp::kOpenOnCreate, -1, 1},    {sp::kParity, 9, 4},
        {sp::kParity, -3, 0},     {sp::kFlowControl, 7, 5},      {sp::kFlowControl, -1, 0},
        {sp::kRtsControl, 3, 2},  {sp::kDtrControl, -2, 0},      {sp::kBaudRate, "9600", 9600},
    };
    RecordingSink sink;
    SerialPort port(main_window::kPort, {}, sink);
    for (const auto& c : cases) {
        port.write(c.property, c.written);
        EXPECT_EQ(port.read(c.property), c.stored) << "property " << c.property;
    }
}

TEST(SerialPortProperties, KindDefaultsAndTheMainWindowBlock) {
    RecordingSink sink;
    auto defaults = createSerialPortUnit(main_window::kPort, {}, sink);
    auto fromBlock = createSerialPortUnit(main_window::kPort, mainWindowBlock(), sink);
    ASSERT_TRUE(defaults && fromBlock);
    ASSERT_EQ(mainWindowBlock().size(), 52u);
    const std::int32_t kindDefaults[] = {1, 19200, 8, 1, 0, 0, 1000, 0, 0, 0, 0, 0};
    const std::int32_t mainWindow[] = {1, 57600, 8, 1, 0, 0, 1000, 0, 0, 0, 0, 0};
    for (int p = sp::kPortNumber; p <= sp::kDtrControl; ++p) {
        if (p == sp::kEventChar) {
            EXPECT_EQ(defaults->read(p), Value{std::string()});
            EXPECT_EQ(fromBlock->read(p), Value{std::string()});
            continue;
        }
        EXPECT_EQ(asInt(defaults->read(p)), kindDefaults[p - sp::kPortNumber]) << "property " << p;
        EXPECT_EQ(asInt(fromBlock->read(p)), mainWindow[p - sp::kPortNumber]) << "property " << p;
    }
    EXPECT_FALSE(fromBlock->isOpen());
}

TEST(SerialPortProperties, BlocksThatDoNotLoadCreateNoUnit) {
    RecordingSink sink;
    Bytes version5 = mainWindowBlock();
    version5[0] = 5;
    Bytes truncated = mainWindowBlock();
    truncated.resize(40);
    EXPECT_EQ(createSerialPortUnit(main_window::kPort, version5, sink), nullptr);
    EXPECT_EQ(createSerialPortUnit(main_window::kPort, truncated, sink), nullptr);
}

TEST(SerialPortProperties, OpenOnCreateOpensTheStoredPort) {
    PortDir dir;
    Pty pty;
    dir.link(3, pty.slavePath());
    SerialSettings s;
    s.portNumber = 3;
    s.openOnCreate = true;
    RecordingSink sink;
    auto port = createSerialPortUnit(main_window::kPort, encodeSerialSettings(s), sink);
    ASSERT_TRUE(port);
    EXPECT_TRUE(port->isOpen());
}

TEST(SerialPortOpen, LineSettingsReachTheTty) {
    PortDir dir;
    Pty pty;
    dir.link(1, pty.slavePath());
    RecordingSink sink;
    SerialPort port(main_window::kPort, settingsAfter({{sp::kStopBits, 3}, {sp::kFlowControl, 1}}), sink);
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(pty.line(), (TtyLine{57600, 8, 2, 'n', true, false, true}));
}

TEST(SerialPortOpen, SettingsThePlatformCannotExpressFailTheOpen) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, Value>> writes;
        bool opensOnWindows;
    };
    const Case cases[] = {
        {"one and a half stop bits with 8 data bits", {{sp::kStopBits, 2}}, false},
        {"9 data bits", {{sp::kDataBits, 9}}, false},
        {"baud rate 0", {{sp::kBaudRate, 0}}, false},
        {"CTS output, DTR handshake", {{sp::kFlowControl, 2}}, true},
        {"DSR output, RTS handshake", {{sp::kFlowControl, 3}}, true},
        {"DSR output, DTR handshake", {{sp::kFlowControl, 4}}, true},
    };
    PortDir dir;
    Pty pty;
    dir.link(1, pty.slavePath());
    for (const auto& [what, writes, opensOnWindows] : cases) {
        const bool opens = opensOnWindows && serialUnitIsWindows();
        RecordingSink sink;
        SerialPort port(main_window::kPort, {}, sink);
        for (const auto& [p, v] : writes) port.write(p, v);
        EXPECT_EQ(port.Open(), opens) << what;
        EXPECT_EQ(port.isOpen(), opens) << what;
        port.Close();
        // The refused open released the device.
        SerialPort other(main_window::kPort, {}, sink);
        EXPECT_TRUE(other.Open()) << what;
    }
}

TEST(SerialPortOpen, ABaudRateWrittenWhileOpenTakesEffectAtTheNextOpen) {
    PortDir dir;
    Pty pty;
    dir.link(5, pty.slavePath());
    RecordingSink sink;
    SerialPort port(main_window::kPort, {}, sink);
    port.write(sp::kPortNumber, 5);
    port.write(sp::kBaudRate, 57600);
    ASSERT_TRUE(port.Open());
    port.write(sp::kBaudRate, 9600);
    EXPECT_EQ(pty.line().baud, 57600);
    EXPECT_EQ(asInt(port.read(sp::kBaudRate)), 9600);
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(pty.line().baud, 9600);
}

TEST(SerialPortOpen, OpenClosesFirstAndAFailedReopenLeavesTheUnitClosed) {
    PortDir dir;
    Pty pty;
    dir.link(5, pty.slavePath());
    RecordingSink sink;
    SerialPort port(main_window::kPort, {}, sink);
    port.write(sp::kPortNumber, 5);
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(port.Open()) << "reopening the same port must not find it held by the unit itself";
    port.write(sp::kPortNumber, 6);  // no COM6
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.SendData(std::uint8_t{1}));
    SerialPort other(main_window::kPort, {}, sink);
    other.write(sp::kPortNumber, 5);
    EXPECT_TRUE(other.Open()) << "the failed reopen must have released COM5";
}

TEST(SerialPortOpen, APortIsOpenedExclusively) {
    PortDir dir;
    Pty pty;
    dir.link(2, pty.slavePath());
    dir.link(3, pty.slavePath());  // the same device under a second name
    RecordingSink sink;
    SerialPort first(main_window::kPort, {}, sink), second(main_window::kPort, {}, sink);
    first.write(sp::kPortNumber, 2);
    second.write(sp::kPortNumber, 3);
    ASSERT_TRUE(first.Open());
    EXPECT_FALSE(second.Open());
    first.Close();
    EXPECT_TRUE(second.Open());
}

TEST(SerialPortOpen, PortsThatDoNotExistOrAreNoTerminalDoNotOpen) {
    PortDir dir;
    Pty pty;
    dir.link(1, pty.slavePath());
    dir.link(2, "/dev/null");
    RecordingSink sink;
    SerialPort port(main_window::kPort, {}, sink);
    port.write(sp::kPortNumber, 0);  // stored as 1
    EXPECT_TRUE(port.Open());
    for (int n : {2, 3}) {
        port.write(sp::kPortNumber, n);
        EXPECT_FALSE(port.Open()) << "COM" << n;
    }
}

}  // namespace
}  // namespace tessary::link
