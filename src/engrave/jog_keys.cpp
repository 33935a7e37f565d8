// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/jog_keys.h"

namespace tessary::engrave {

std::optional<Message> jogForKey(int keyCode) {
    switch (keyCode) {
        case kKeyUp:
            return Message::JogUp;
        case kKeyDown:
            return Message::JogDown;
        case kKeyLeft:
            return Message::JogLeft;
        case kKeyRight:
            return Message::JogRight;
        default:
            return std::nullopt;
    }
}

}  // namespace tessary::engrave
