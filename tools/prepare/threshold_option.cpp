// SPDX-License-Identifier: GPL-3.0-or-later
#include "threshold_option.h"

#include <charconv>

#include "image/conversion.h"

namespace tessary::prepare {

std::variant<int, std::string> thresholdFromGrey(std::string_view typed) {
    std::string_view text = typed;
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool number = !text.empty() && error == std::errc() && end == text.data() + text.size();
    if (number && value >= 0 && value <= 255) return image::thresholdLevel(value);
    if (number && image::kThresholdRange.holds(value))
        return "--threshold takes grey 0-255; for R+G+B " + std::to_string(value) + " write --threshold " +
               std::to_string(image::thresholdGrey(value));
    return "--threshold takes a grey, a whole number from 0 to 255, not '" + std::string(typed) + "'";
}

}  // namespace tessary::prepare
