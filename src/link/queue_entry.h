// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the port worker hands to the window thread: a received byte, a line-status code or the device's loss.
#include <cstdint>

namespace tessary::link {

struct QueueEntry {
    // DeviceGone comes once, after the last byte the device gave.
    enum class Type : std::uint8_t { Byte, LineStatus, DeviceGone } type;
    std::uint8_t value;  // the byte, or the line-status code 1..10
};

}  // namespace tessary::link
