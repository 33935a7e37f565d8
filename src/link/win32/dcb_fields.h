// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Port settings to the Windows line settings record (DCB), as a pure function that builds on any platform, so
// that one table tests it beside the Linux flags.
#include <cstdint>
#include <optional>

#include "link/port_settings.h"

namespace tessary::link {

// The DCB fields the settings decide, with Windows's numbers: parity NOPARITY 0, ODDPARITY 1, EVENPARITY 2,
// MARKPARITY 3, SPACEPARITY 4; stop bits ONESTOPBIT 0, ONE5STOPBITS 1, TWOSTOPBITS 2; DTR and RTS control
// DISABLE 0, ENABLE 1, HANDSHAKE 2.
struct DcbFields {
    std::uint32_t baudRate = 0;
    std::uint8_t byteSize = 8, parity = 0, stopBits = 0;
    bool binary = false, parityCheck = false;
    bool outxCtsFlow = false, outxDsrFlow = false, dsrSensitivity = false, outX = false, inX = false;
    std::uint8_t dtrControl = 0, rtsControl = 0;
    std::uint8_t xonChar = 0, xoffChar = 0, evtChar = 0;
    std::uint16_t xonLim = 0, xoffLim = 0;
    bool operator==(const DcbFields&) const = default;
};

// The driver's current fields changed as the settings ask, everything else kept; nullopt for what a DCB
// cannot hold: data bits outside 5..8, one and a half stop bits with other than 5 data bits, two stop bits
// with 5, baud rate 0.
std::optional<DcbFields> dcbFields(DcbFields current, const PortSettings& settings);

}  // namespace tessary::link
