// SPDX-License-Identifier: GPL-3.0-or-later
#include "tty_line_of.h"

// termios2 holds the baud rate as a number.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tessary::test {

TtyLine ttyLineOf(int fd) {
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0) return {};
    TtyLine line;
    line.baud = static_cast<int>(t.c_ospeed);
    switch (t.c_cflag & CSIZE) {
        case CS5:
            line.dataBits = 5;
            break;
        case CS6:
            line.dataBits = 6;
            break;
        case CS7:
            line.dataBits = 7;
            break;
        default:
            line.dataBits = 8;
            break;
    }
    line.stopBits = t.c_cflag & CSTOPB ? 2 : 1;
    const bool odd = t.c_cflag & PARODD;
    if (t.c_cflag & PARENB) line.parity = t.c_cflag & CMSPAR ? (odd ? 'm' : 's') : (odd ? 'o' : 'e');
    line.rtsCts = t.c_cflag & CRTSCTS;
    line.xonXoff = (t.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF);
    line.raw = !(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) && !(t.c_oflag & OPOST) &&
               !(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP)) &&
               (t.c_cflag & (CLOCAL | CREAD)) == (CLOCAL | CREAD);
    return line;
}

}  // namespace tessary::test
