// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/step_pulse.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace tessary::engrave {
namespace {

TEST(StepPulse, ReadsTheTextTheWayAtolDoesAndSendsTheLowEightBits) {
    struct Case {
        std::string text;
        std::int64_t value;
        std::uint8_t byte;
    };
    const Case cases[] = {
        {"35", 35, 0x23},
        {"300", 300, 0x2C},
        {"256", 256, 0x00},
        {"", 0, 0x00},
        {"-1", -1, 0xFF},
        {"3-5", 3, 0x03},
        {" \t\n42", 42, 0x2A},
        {"+7", 7, 0x07},
        {"-", 0, 0x00},
        {"abc", 0, 0x00},
        {"- 5", 0, 0x00},
        {"12abc", 12, 0x0C},
        {"-300", -300, 0xD4},
        {"0035", 35, 0x23},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max(), 0xFF},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min(), 0x00},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(stepPulseValue(c.text), c.value) << '"' << c.text << '"';
        EXPECT_EQ(stepPulseByte(c.text), c.byte) << '"' << c.text << '"';
    }
}

TEST(StepPulse, LongerNumbersWrapSoTheByteIsStillTheNumberModulo256) {
    const std::pair<std::string, std::uint8_t> cases[] = {
        {"18446744073709551615", 0xFF},                                                   // 2^64 - 1
        {"18446744073709551616", 0x00},                                                   // 2^64
        {"18446744073709551651", 0x23},                                                   // 2^64 + 35
        {"123456789012345678901234567890", 210},                                          // its value mod 256
        {"-123456789012345678901234567890", 46},                                          // 256 - 210
        {std::string(1000, '7'), 113},           {std::string(100000, '9') + "x", 0xFF},  // 10^100000 - 1
    };
    for (const auto& [text, byte] : cases) EXPECT_EQ(stepPulseByte(text), byte) << text.substr(0, 40);
}

}  // namespace
}  // namespace tessary::engrave
