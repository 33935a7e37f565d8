// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/win32/dcb_fields.h"

namespace tessary::link {
namespace {

constexpr std::uint8_t kDisable = 0, kEnable = 1, kHandshake = 2;
constexpr std::uint8_t kOneStop = 0, kOneAndHalfStop = 1, kTwoStop = 2;

}  // namespace

std::optional<DcbFields> dcbFields(DcbFields d, const PortSettings& s) {
    if (s.baudRate <= 0 || s.dataBits < 5 || s.dataBits > 8) return std::nullopt;
    const std::uint8_t stop = s.stopBits == 2 ? kOneAndHalfStop : s.stopBits == 3 ? kTwoStop : kOneStop;
    if (stop == kOneAndHalfStop && s.dataBits != 5) return std::nullopt;
    if (stop == kTwoStop && s.dataBits == 5) return std::nullopt;
    d.baudRate = static_cast<std::uint32_t>(s.baudRate);
    d.byteSize = static_cast<std::uint8_t>(s.dataBits);
    d.stopBits = stop;
    d.binary = true;
    d.parityCheck = s.parityCheck;
    d.parity = s.parity >= 1 && s.parity <= 4 ? static_cast<std::uint8_t>(s.parity) : 0;
    if (!s.eventChar.empty()) d.evtChar = static_cast<std::uint8_t>(s.eventChar[0]);
    d.rtsControl = s.rtsControl == 1 ? kDisable : kEnable;
    if (s.dtrControl == 1) d.dtrControl = kDisable;
    if (s.dtrControl == 2) d.dtrControl = kEnable;
    d.dsrSensitivity = false;

    d.outxCtsFlow = s.flowControl == 1 || s.flowControl == 2;
    d.outxDsrFlow = s.flowControl == 3 || s.flowControl == 4;
    if (s.flowControl == 1 || s.flowControl == 3) d.rtsControl = kHandshake;
    if (s.flowControl == 2 || s.flowControl == 4) d.dtrControl = kHandshake;
    d.outX = d.inX = s.flowControl == 5;
    if (s.flowControl == 5) {
        d.xonChar = 0x11;
        d.xoffChar = 0x13;
        d.xonLim = 100;
        d.xoffLim = 100;
    }
    return d;
}

}  // namespace tessary::link
