// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// tessary-prepare's --threshold: the level as the Picture options window shows it, a grey 0..255.
#include <string>
#include <string_view>
#include <variant>

namespace tessary::prepare {

// The conversion's threshold level (R + G + B) for the grey typed, or the message that refuses it. A value
// of the former R + G + B scale (256..765) is refused with the grey to write instead, since one up to 255
// cannot be told from a grey.
std::variant<int, std::string> thresholdFromGrey(std::string_view text);

}  // namespace tessary::prepare
