// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The arrow keys that jog the laser.
#include <optional>

#include "engrave/protocol.h"

namespace tessary::engrave {

// Virtual-key codes of the arrow keys.
inline constexpr int kKeyLeft = 0x25;
inline constexpr int kKeyUp = 0x26;
inline constexpr int kKeyRight = 0x27;
inline constexpr int kKeyDown = 0x28;

/// The jog an arrow key stands for; any other key stands for nothing.
std::optional<Message> jogForKey(int keyCode);

}  // namespace tessary::engrave
