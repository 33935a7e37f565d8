// SPDX-License-Identifier: GPL-3.0-or-later
// Port settings to the line: the Linux termios flags and the Windows DCB side by side, one row per setting.
// Ptys keep only part of the frame (they force 8 bits and no parity), so the whole mapping is checked here on
// the pure functions, and what a pty keeps is checked on the tty itself (serial_unit_tests).
#include <gtest/gtest.h>
// termios2 (any baud rate) comes from the kernel headers, which cannot be mixed with <termios.h>.
#include <asm/termbits.h>

#include <functional>
#include <optional>

#include "../pty_fixture.h"
#include "../settings_after.h"
#include "app/model/properties.h"
#include "link/posix/line_flags.h"
#include "link/serial_port.h"
#include "link/win32/dcb_fields.h"

namespace tessary::link {
namespace {

using namespace tessary::test;
namespace sp = prop::serial;

struct Termios {
    std::uint32_t cflagMask, cflag, iflagMask = 0, iflag = 0;
};
struct LineCase {
    const char* what;
    std::vector<std::pair<int, Value>> writes;
    std::optional<Termios> linux;  // nullopt: Linux cannot express it
    std::optional<std::function<void(DcbFields&)>>
        dcb;  // from the 57600 8N1 record; nullopt: no DCB holds it
};

TEST(LineSettings, EachSettingMapsOntoTermiosFlagsAndTheDcb) {
    constexpr std::uint32_t kParity = PARENB | PARODD | CMSPAR;
    const auto none = [](DcbFields&) {};
    const LineCase cases[] = {
        {"57600 8N1", {}, Termios{CBAUD | CSIZE | CSTOPB | PARENB | CRTSCTS, B57600 | CS8}, none},
        {"7 data bits, two stop bits",
         {{sp::kDataBits, 7}, {sp::kStopBits, 3}},
         Termios{CSIZE | CSTOPB, CS7 | CSTOPB},
         [](DcbFields& d) { d.byteSize = 7, d.stopBits = 2; }},
        {"one and a half stop bits with 5 data bits",
         {{sp::kDataBits, 5}, {sp::kStopBits, 2}},
         Termios{CSIZE | CSTOPB, CS5 | CSTOPB},
         [](DcbFields& d) { d.byteSize = 5, d.stopBits = 1; }},
        {"odd", {{sp::kParity, 1}}, Termios{kParity, PARENB | PARODD}, [](DcbFields& d) { d.parity = 1; }},
        {"even", {{sp::kParity, 2}}, Termios{kParity, PARENB}, [](DcbFields& d) { d.parity = 2; }},
        {"mark", {{sp::kParity, 3}}, Termios{kParity, kParity}, [](DcbFields& d) { d.parity = 3; }},
        {"space", {{sp::kParity, 4}}, Termios{kParity, PARENB | CMSPAR}, [](DcbFields& d) { d.parity = 4; }},
        {"parity checking reports errors, it does not alter bytes",
         {{sp::kParityCheck, 1}},
         Termios{PARENB, 0, INPCK, 0},
         [](DcbFields& d) { d.parityCheck = true; }},
        {"RTS/CTS",
         {{sp::kFlowControl, 1}},
         Termios{CRTSCTS, CRTSCTS, IXON | IXOFF, 0},
         [](DcbFields& d) { d.outxCtsFlow = true, d.rtsControl = 2; }},
        {"XON/XOFF",
         {{sp::kFlowControl, 5}},
         Termios{CRTSCTS, 0, IXON | IXOFF, IXON | IXOFF},
         [](DcbFields& d) {
             d.outX = d.inX = true, d.xonChar = 0x11, d.xoffChar = 0x13, d.xonLim = d.xoffLim = 100;
         }},
        {"CTS output, DTR handshake",
         {{sp::kFlowControl, 2}},
         std::nullopt,
         [](DcbFields& d) { d.outxCtsFlow = true, d.dtrControl = 2; }},
        {"DSR output, RTS handshake",
         {{sp::kFlowControl, 3}},
         std::nullopt,
         [](DcbFields& d) { d.outxDsrFlow = true, d.rtsControl = 2; }},
        {"DSR output, DTR handshake",
         {{sp::kFlowControl, 4}},
         std::nullopt,
         [](DcbFields& d) { d.outxDsrFlow = true, d.dtrControl = 2; }},
        {"RTS off, DTR on, event character",
         {{sp::kRtsControl, 1}, {sp::kDtrControl, 2}, {sp::kEventChar, "Zq"}},
         Termios{CRTSCTS, 0},
         [](DcbFields& d) { d.rtsControl = 0, d.dtrControl = 1, d.evtChar = 'Z'; }},
        {"non-standard rate",
         {{sp::kBaudRate, 12345}},
         Termios{CBAUD, BOTHER},
         [](DcbFields& d) { d.baudRate = 12345; }},
        {"raw, breaks reported apart from the data",
         {},
         Termios{CLOCAL | CREAD, CLOCAL | CREAD, ICRNL | IXON | ISTRIP | IGNBRK | BRKINT, IGNBRK},
         none},
        {"one and a half stop bits with 8 data bits", {{sp::kStopBits, 2}}, std::nullopt, std::nullopt},
        {"two stop bits with 5 data bits",
         {{sp::kDataBits, 5}, {sp::kStopBits, 3}},
         Termios{CSIZE | CSTOPB, CS5 | CSTOPB},
         std::nullopt},
        {"9 data bits", {{sp::kDataBits, 9}}, std::nullopt, std::nullopt},
        {"baud rate 0", {{sp::kBaudRate, 0}}, std::nullopt, std::nullopt},
    };
    LineFlags current;
    current.iflag = ICRNL | IXON | BRKINT;
    current.lflag = ICANON | ECHO | ISIG;
    current.oflag = OPOST;
    current.cflag = B9600 | CS7 | PARENB | CRTSCTS;
    // What a driver reports before the first open: DTR on, everything else off.
    DcbFields driver;
    driver.baudRate = 9600;
    driver.byteSize = 7;
    driver.parity = 2;
    driver.dtrControl = 1;
    driver.outX = true;
    DcbFields line57600 = driver;
    line57600.baudRate = 57600;
    line57600.byteSize = 8;
    line57600.parity = 0;
    line57600.binary = true;
    line57600.rtsControl = 1;
    line57600.outX = false;

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PortSettings settings = settingsAfter(c.writes);
        const auto flags = lineFlags(current, settings);
        ASSERT_EQ(flags.has_value(), c.linux.has_value());
        if (flags) {
            EXPECT_EQ(flags->cflag & c.linux->cflagMask, c.linux->cflag);
            EXPECT_EQ(flags->iflag & c.linux->iflagMask, c.linux->iflag);
            EXPECT_EQ(flags->lflag & (ICANON | ECHO | ISIG), 0u);
            EXPECT_EQ(flags->oflag & OPOST, 0u);
            EXPECT_EQ(flags->vmin, 1);
        }
        const auto dcb = dcbFields(driver, settings);
        ASSERT_EQ(dcb.has_value(), c.dcb.has_value());
        if (dcb) {
            DcbFields expected = line57600;
            (*c.dcb)(expected);
            EXPECT_EQ(*dcb, expected);
        }
    }
    EXPECT_EQ(lineFlags(current, settingsAfter({{sp::kBaudRate, 12345}}))->speed, 12345u);
    EXPECT_EQ(lineFlags(current, settingsAfter({{sp::kFlowControl, 5}}))->vstop, 0x13);
}

}  // namespace
}  // namespace tessary::link
