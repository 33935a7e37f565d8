// SPDX-License-Identifier: GPL-3.0-or-later
// The SerialPort unit's properties, stored settings block and line settings, on real ptys.
#include <gtest/gtest.h>
#include <termios.h>

#include "app/model/properties.h"
#include "app/model/serial_settings.h"
#include "link/posix/line_flags.h"
#include "link/serial_port.h"
#include "pty_fixture.h"

namespace tessary::link {
namespace {

constexpr tcflag_t kBaudOther = 0010000;  // the kernel's BOTHER: a rate without a B constant

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
    SerialPort port("端口1", {}, sink);
    for (const auto& c : cases) {
        port.write(c.property, c.written);
        EXPECT_EQ(port.read(c.property), c.stored) << "property " << c.property;
    }
}

TEST(SerialPortProperties, KindDefaultsAndTheMainWindowBlock) {
    RecordingSink sink;
    auto defaults = createSerialPortUnit("端口1", {}, sink);
    auto fromBlock = createSerialPortUnit("端口1", mainWindowBlock(), sink);
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
    EXPECT_EQ(createSerialPortUnit("端口1", version5, sink), nullptr);
    EXPECT_EQ(createSerialPortUnit("端口1", truncated, sink), nullptr);
}

TEST(SerialPortProperties, OpenOnCreateOpensTheStoredPort) {
    PortDir dir;
    Pty pty;
    dir.link(3, pty.slavePath());
    SerialSettings s;
    s.portNumber = 3;
    s.openOnCreate = true;
    RecordingSink sink;
    auto port = createSerialPortUnit("端口1", encodeSerialSettings(s), sink);
    ASSERT_TRUE(port);
    EXPECT_TRUE(port->isOpen());
}

termios slaveSettings(const Pty& pty) {
    termios t{};
    ::tcgetattr(pty.slave(), &t);
    return t;
}

speed_t slaveSpeed(const Pty& pty) {
    termios t = slaveSettings(pty);
    return ::cfgetospeed(&t);
}

struct LineCase {
    const char* what;
    std::vector<std::pair<int, Value>> writes;
    tcflag_t cflagMask;
    tcflag_t cflag;
    tcflag_t iflagMask = 0;
    tcflag_t iflag = 0;
};

PortSettings settingsAfter(const std::vector<std::pair<int, Value>>& writes) {
    RecordingSink sink;
    SerialPort port("端口1", {}, sink);
    port.write(sp::kBaudRate, 57600);
    for (const auto& [p, v] : writes) port.write(p, v);
    return port.settings();
}

// Ptys keep only part of the frame (they force 8 bits and no parity), so the whole mapping is checked on
// the flags and what a pty keeps is checked on the tty itself below.
TEST(SerialPortOpen, SettingsMapOntoTermiosFlags) {
    const LineCase cases[] = {
        {"57600 8N1", {}, CBAUD | CSIZE | CSTOPB | PARENB | CRTSCTS, B57600 | CS8},
        {"7 data bits, two stop bits",
         {{sp::kDataBits, 7}, {sp::kStopBits, 3}},
         CSIZE | CSTOPB,
         CS7 | CSTOPB},
        {"one and a half stop bits with 5 data bits",
         {{sp::kDataBits, 5}, {sp::kStopBits, 2}},
         CSIZE | CSTOPB,
         CS5 | CSTOPB},
        {"odd", {{sp::kParity, 1}}, PARENB | PARODD | CMSPAR, PARENB | PARODD},
        {"even", {{sp::kParity, 2}}, PARENB | PARODD | CMSPAR, PARENB},
        {"mark", {{sp::kParity, 3}}, PARENB | PARODD | CMSPAR, PARENB | PARODD | CMSPAR},
        {"space", {{sp::kParity, 4}}, PARENB | PARODD | CMSPAR, PARENB | CMSPAR},
        {"parity checking reports errors, it does not alter bytes",
         {{sp::kParityCheck, 1}},
         PARENB,
         0,
         INPCK,
         0},
        {"RTS/CTS", {{sp::kFlowControl, 1}}, CRTSCTS, CRTSCTS, IXON | IXOFF, 0},
        {"XON/XOFF", {{sp::kFlowControl, 5}}, CRTSCTS, 0, IXON | IXOFF, IXON | IXOFF},
        {"non-standard rate", {{sp::kBaudRate, 12345}}, CBAUD, kBaudOther},
        {"raw, breaks reported apart from the data",
         {},
         CLOCAL | CREAD,
         CLOCAL | CREAD,
         ICRNL | IXON | ISTRIP | IGNBRK | BRKINT,
         IGNBRK},
    };
    LineFlags current;
    current.iflag = ICRNL | IXON | BRKINT;
    current.lflag = ICANON | ECHO | ISIG;
    current.oflag = OPOST;
    current.cflag = B9600 | CS7 | PARENB | CRTSCTS;
    for (const auto& c : cases) {
        auto flags = lineFlags(current, settingsAfter(c.writes));
        ASSERT_TRUE(flags) << c.what;
        EXPECT_EQ(flags->cflag & c.cflagMask, c.cflag) << c.what;
        EXPECT_EQ(flags->iflag & c.iflagMask, c.iflag) << c.what;
        EXPECT_EQ(flags->lflag & (ICANON | ECHO | ISIG), 0u) << c.what;
        EXPECT_EQ(flags->oflag & OPOST, 0u) << c.what;
        EXPECT_EQ(flags->vmin, 1) << c.what;
    }
    EXPECT_EQ(lineFlags(current, settingsAfter({{sp::kBaudRate, 12345}}))->speed, 12345u);
    EXPECT_EQ(lineFlags(current, settingsAfter({{sp::kFlowControl, 5}}))->vstop, 0x13);
}

TEST(SerialPortOpen, LineSettingsReachTheTty) {
    PortDir dir;
    Pty pty;
    dir.link(1, pty.slavePath());
    RecordingSink sink;
    SerialPort port("端口1", settingsAfter({{sp::kStopBits, 3}, {sp::kFlowControl, 1}}), sink);
    ASSERT_TRUE(port.Open());
    termios t = slaveSettings(pty);
    EXPECT_EQ(t.c_cflag & (CBAUD | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              B57600 | CSTOPB | CRTSCTS | CLOCAL | CREAD);
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON | ISTRIP), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
}

TEST(SerialPortOpen, SettingsLinuxCannotExpressFailTheOpen) {
    const std::pair<const char*, std::vector<std::pair<int, Value>>> cases[] = {
        {"one and a half stop bits with 8 data bits", {{sp::kStopBits, 2}}},
        {"9 data bits", {{sp::kDataBits, 9}}},
        {"baud rate 0", {{sp::kBaudRate, 0}}},
        {"CTS output, DTR handshake", {{sp::kFlowControl, 2}}},
        {"DSR output, RTS handshake", {{sp::kFlowControl, 3}}},
        {"DSR output, DTR handshake", {{sp::kFlowControl, 4}}},
    };
    PortDir dir;
    Pty pty;
    dir.link(1, pty.slavePath());
    for (const auto& [what, writes] : cases) {
        RecordingSink sink;
        SerialPort port("端口1", {}, sink);
        for (const auto& [p, v] : writes) port.write(p, v);
        EXPECT_FALSE(port.Open()) << what;
        EXPECT_FALSE(port.isOpen()) << what;
        // The refused open released the device.
        SerialPort other("端口1", {}, sink);
        EXPECT_TRUE(other.Open()) << what;
    }
}

TEST(SerialPortOpen, ABaudRateWrittenWhileOpenTakesEffectAtTheNextOpen) {
    PortDir dir;
    Pty pty;
    dir.link(5, pty.slavePath());
    RecordingSink sink;
    SerialPort port("端口1", {}, sink);
    port.write(sp::kPortNumber, 5);
    port.write(sp::kBaudRate, 57600);
    ASSERT_TRUE(port.Open());
    port.write(sp::kBaudRate, 9600);
    EXPECT_EQ(slaveSpeed(pty), speed_t{B57600});
    EXPECT_EQ(asInt(port.read(sp::kBaudRate)), 9600);
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(slaveSpeed(pty), speed_t{B9600});
}

TEST(SerialPortOpen, OpenClosesFirstAndAFailedReopenLeavesTheUnitClosed) {
    PortDir dir;
    Pty pty;
    dir.link(5, pty.slavePath());
    RecordingSink sink;
    SerialPort port("端口1", {}, sink);
    port.write(sp::kPortNumber, 5);
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(port.Open()) << "reopening the same port must not find it held by the unit itself";
    port.write(sp::kPortNumber, 6);  // no COM6
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.SendData(std::uint8_t{1}));
    SerialPort other("端口1", {}, sink);
    other.write(sp::kPortNumber, 5);
    EXPECT_TRUE(other.Open()) << "the failed reopen must have released COM5";
}

TEST(SerialPortOpen, APortIsOpenedExclusively) {
    PortDir dir;
    Pty pty;
    dir.link(2, pty.slavePath());
    dir.link(3, pty.slavePath());  // the same device under a second name
    RecordingSink sink;
    SerialPort first("端口1", {}, sink), second("端口1", {}, sink);
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
    SerialPort port("端口1", {}, sink);
    port.write(sp::kPortNumber, 0);  // stored as 1
    EXPECT_TRUE(port.Open());
    for (int n : {2, 3}) {
        port.write(sp::kPortNumber, n);
        EXPECT_FALSE(port.Open()) << "COM" << n;
    }
}

}  // namespace
}  // namespace tessary::link
