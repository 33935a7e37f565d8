// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/posix/line_flags.h"

// termios2 (any baud rate) comes from the kernel headers, which cannot be mixed with <termios.h>.
#include <asm/termbits.h>

namespace tessary::link {
namespace {

struct StandardRate {
    int baud;
    unsigned code;
};
constexpr StandardRate kStandardRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

bool setBaud(LineFlags& t, int baud) {
    if (baud <= 0) return false;  // B0 would hang the line up
    t.cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    unsigned code = BOTHER;
    for (const auto& r : kStandardRates)
        if (r.baud == baud) code = r.code;
    t.cflag |= code;
    t.speed = static_cast<std::uint32_t>(baud);
    return true;
}

bool setFrame(LineFlags& t, const PortSettings& s) {
    t.cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    switch (s.dataBits) {
        case 5:
            t.cflag |= CS5;
            break;
        case 6:
            t.cflag |= CS6;
            break;
        case 7:
            t.cflag |= CS7;
            break;
        case 8:
            t.cflag |= CS8;
            break;
        default:
            return false;
    }
    // A UART sends one and a half stop bits for CSTOPB with 5-bit characters; other sizes have no such mode.
    if (s.stopBits == 3 || (s.stopBits == 2 && s.dataBits == 5))
        t.cflag |= CSTOPB;
    else if (s.stopBits == 2)
        return false;
    switch (s.parity) {
        case 1:
            t.cflag |= PARENB | PARODD;
            break;
        case 2:
            t.cflag |= PARENB;
            break;
        case 3:
            t.cflag |= PARENB | CMSPAR | PARODD;
            break;
        case 4:
            t.cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    return true;
}

bool setFlowControl(LineFlags& t, int mode) {
    t.iflag &= ~(IXON | IXOFF | IXANY);
    switch (mode) {
        case 1:
            t.cflag |= CRTSCTS;
            return true;
        case 2:
        case 3:
        case 4:
            return false;  // DTR handshaking and DSR-watched output do not exist on Linux
        case 5:
            t.iflag |= IXON | IXOFF;
            t.vstart = 0x11;
            t.vstop = 0x13;
            return true;
        default:
            return true;
    }
}

}  // namespace

std::optional<LineFlags> lineFlags(LineFlags t, const PortSettings& s) {
    t.iflag &= ~(BRKINT | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IMAXBEL);
    t.iflag |= IGNBRK;  // a break is reported as line status 1, not as a 0 byte in the data
    t.oflag &= ~OPOST;
    t.lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.cflag |= CLOCAL | CREAD;
    t.vmin = 1;
    t.vtime = 0;
    if (!setBaud(t, s.baudRate) || !setFrame(t, s) || !setFlowControl(t, s.flowControl)) return std::nullopt;
    return t;
}

}  // namespace tessary::link
