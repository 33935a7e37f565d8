// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/log_texts.h"

#include "engrave/protocol.h"

namespace tessary::engrave {

std::string burningTimeCaption(int position) { return "Burning time:" + std::to_string(position); }

std::string burningTimeLogLine(int position) {
    return burningTimeCaption(burningTimeByte(position)) + "\r\n\r\n";
}

}  // namespace tessary::engrave
