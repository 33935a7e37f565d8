// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/protocol.h"

#include <gtest/gtest.h>

#include <set>

#include "engrave/jog_keys.h"
#include "engrave/log_texts.h"

namespace tessary::engrave {
namespace {

using std::chrono::milliseconds;

struct Row {
    Message message;
    std::vector<std::uint8_t> bytes;
    std::string_view logLine;
    milliseconds pause;
};

// The console's messages as the operator's manual lists them.
const Row kExpected[] = {
    {Message::StartCarving, {0xF1}, "Start carving\r\n\r\n", milliseconds(0)},
    {Message::Pause, {0xF2}, "Engraving pause !\r\n\r\n", milliseconds(0)},
    {Message::LowerLeftCorner, {0xF3}, "To Left Lower Corner\r\n\r\n", milliseconds(0)},
    {Message::FrameCarvingArea, {0xF4}, "Simulation Carving area\r\n\r\n", milliseconds(0)},
    {Message::JogUp, {0xF5}, "Laser movement:Up\r\n\r\n", milliseconds(50)},
    {Message::JogDown, {0xF6}, "Laser movement:Down\r\n\r\n", milliseconds(50)},
    {Message::JogLeft, {0xF7}, "Laser movement:Left\r\n\r\n", milliseconds(50)},
    {Message::JogRight, {0xF8}, "Laser movement:Right\r\n\r\n", milliseconds(50)},
    {Message::Restart, {0xF9}, "Restarting...\r\n\r\n", milliseconds(0)},
    {Message::StepPulse, {0xFA}, "", milliseconds(0)},  // and its parameter byte
    {Message::MiddleOfImage, {0xFB}, "To Middle of Image\r\n\r\n", milliseconds(0)},
    {Message::FastBackward, {0xFC, 0x55}, "Fast backward for 15 row\r\n\r\n", milliseconds(0)},
    {Message::FastForward, {0xFC, 0xAA}, "Fast forward for 15 row\r\n\r\n", milliseconds(0)},
    {Message::Recarve, {0xFC, 0x77}, "Recarve\r\n\r\n", milliseconds(0)},
    {Message::EraseLastImage, {0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE}, "", milliseconds(3000)},
    {Message::ImageData, {}, "", milliseconds(0)},
    {Message::BurningTime, {}, "", milliseconds(0)},  // the burning-time byte alone
};

std::vector<std::uint8_t> bytesOf(Message message) {
    const auto bytes = specOf(message).bytes;
    return {bytes.begin(), bytes.end()};
}

TEST(MessageTable, EveryMessageHasItsBytesLogLineAndPause) {
    ASSERT_EQ(std::size(kExpected), static_cast<std::size_t>(Message::BurningTime) + 1);
    for (const Row& row : kExpected) {
        SCOPED_TRACE(std::string(specOf(row.message).name));
        EXPECT_EQ(bytesOf(row.message), row.bytes);
        EXPECT_EQ(specOf(row.message).logLine, row.logLine);
        EXPECT_EQ(specOf(row.message).pause, row.pause);
    }
}

TEST(MessageTable, CommandBytesMapBackToTheirMessageAndFdIsNeverUsed) {
    std::set<std::uint8_t> used;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        if (const auto single = singleByteCommand(byte)) {
            EXPECT_EQ(bytesOf(*single), std::vector<std::uint8_t>{byte});
            used.insert(byte);
        }
        if (const auto prefixed = prefixedCommand(byte)) {
            EXPECT_EQ(bytesOf(*prefixed), (std::vector<std::uint8_t>{kPrefixByte, byte}));
        }
    }
    EXPECT_EQ(used, (std::set<std::uint8_t>{0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFB}));
    for (const Row& row : kExpected) {
        for (const std::uint8_t b : specOf(row.message).bytes) EXPECT_NE(b, 0xFD) << specOf(row.message).name;
    }
}

TEST(JogKeys, ArrowKeysJogAndOtherKeysDoNothing) {
    const std::pair<int, std::optional<Message>> cases[] = {
        {0x26, Message::JogUp},    {0x28, Message::JogDown}, {0x25, Message::JogLeft},
        {0x27, Message::JogRight}, {'A', std::nullopt},      {0x10, std::nullopt},
    };
    for (const auto& [key, jog] : cases) EXPECT_EQ(jogForKey(key), jog) << key;
}

TEST(BurningTime, ByteLabelAndLogLine) {
    struct Case {
        int position;
        std::uint8_t byte;
        std::string caption;
        std::string logLine;
    };
    const Case cases[] = {
        {1, 0x01, "Burning time:1", "Burning time:1\r\n\r\n"},
        {60, 0x3C, "Burning time:60", "Burning time:60\r\n\r\n"},
        {240, 0xF0, "Burning time:240", "Burning time:240\r\n\r\n"},
        // Out of the slider's range: never a command code or zero on the wire.
        {241, 0xF0, "Burning time:241", "Burning time:240\r\n\r\n"},
        {0, 0x01, "Burning time:0", "Burning time:1\r\n\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(burningTimeByte(c.position), c.byte) << c.position;
        EXPECT_EQ(burningTimeCaption(c.position), c.caption);
        EXPECT_EQ(burningTimeLogLine(c.position), c.logLine);
    }
}

}  // namespace
}  // namespace tessary::engrave
