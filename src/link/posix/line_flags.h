// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Port settings to the termios fields of a Linux terminal, as a pure function.
#include <cstdint>
#include <optional>

#include "link/port_settings.h"

namespace tessary::link {

// The termios fields a port's settings decide, as the kernel's flag values.
struct LineFlags {
    std::uint32_t iflag = 0, oflag = 0, cflag = 0, lflag = 0;
    std::uint8_t vmin = 0, vtime = 0, vstart = 0, vstop = 0;
    std::uint32_t speed = 0;  // both directions
};

// The current flags changed as the settings ask (raw 8-bit line, everything else kept); nullopt when Linux
// cannot express them: one and a half stop bits with other than 5 data bits, data bits outside 5..8,
// DSR-watched output or DTR handshaking (flow control 2, 3, 4), baud rate 0.
std::optional<LineFlags> lineFlags(LineFlags current, const PortSettings& settings);

}  // namespace tessary::link
