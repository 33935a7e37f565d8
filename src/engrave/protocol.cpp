// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/protocol.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace tessary::engrave {
namespace {

using std::chrono::milliseconds;

constexpr std::uint8_t kF1[] = {0xF1};
constexpr std::uint8_t kF2[] = {0xF2};
constexpr std::uint8_t kF3[] = {0xF3};
constexpr std::uint8_t kF4[] = {0xF4};
constexpr std::uint8_t kF5[] = {0xF5};
constexpr std::uint8_t kF6[] = {0xF6};
constexpr std::uint8_t kF7[] = {0xF7};
constexpr std::uint8_t kF8[] = {0xF8};
constexpr std::uint8_t kF9[] = {0xF9};
constexpr std::uint8_t kFA[] = {kStepPulseByte};
constexpr std::uint8_t kFB[] = {0xFB};
constexpr std::uint8_t kFC55[] = {kPrefixByte, 0x55};
constexpr std::uint8_t kFCAA[] = {kPrefixByte, 0xAA};
constexpr std::uint8_t kFC77[] = {kPrefixByte, 0x77};
constexpr std::uint8_t kErase[] = {kEraseByte, kEraseByte, kEraseByte, kEraseByte,
                                   kEraseByte, kEraseByte, kEraseByte, kEraseByte};

constexpr milliseconds kNone{0};
constexpr milliseconds kJogPause{50};
constexpr milliseconds kErasePause{3000};

// Same order as the Message enumeration; specOf() indexes it.
constexpr std::array<MessageSpec, 17> kTable{{
    {Message::StartCarving, "Start carving", kF1, "Start carving\r\n\r\n", kNone},
    {Message::Pause, "Pause", kF2, "Engraving pause !\r\n\r\n", kNone},
    {Message::LowerLeftCorner, "Go to lower-left corner", kF3, "To Left Lower Corner\r\n\r\n", kNone},
    {Message::FrameCarvingArea, "Frame carving area", kF4, "Simulation Carving area\r\n\r\n", kNone},
    {Message::JogUp, "Jog up", kF5, "Laser movement:Up\r\n\r\n", kJogPause},
    {Message::JogDown, "Jog down", kF6, "Laser movement:Down\r\n\r\n", kJogPause},
    {Message::JogLeft, "Jog left", kF7, "Laser movement:Left\r\n\r\n", kJogPause},
    {Message::JogRight, "Jog right", kF8, "Laser movement:Right\r\n\r\n", kJogPause},
    {Message::Restart, "Restart", kF9, "Restarting...\r\n\r\n", kNone},
    {Message::StepPulse, "Set motor step pulse", kFA, "", kNone},
    {Message::MiddleOfImage, "Go to middle of image", kFB, "To Middle of Image\r\n\r\n", kNone},
    {Message::FastBackward, "Fast backward 15 rows", kFC55, "Fast backward for 15 row\r\n\r\n", kNone},
    {Message::FastForward, "Fast forward 15 rows", kFCAA, "Fast forward for 15 row\r\n\r\n", kNone},
    {Message::Recarve, "Recarve", kFC77, "Recarve\r\n\r\n", kNone},
    {Message::EraseLastImage, "Erase last image", kErase, "", kErasePause},
    {Message::ImageData, "Image data", {}, "", kNone},
    {Message::BurningTime, "Burning time", {}, "", kNone},
}};

constexpr bool tableInEnumOrder() {
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        if (static_cast<std::size_t>(kTable[i].message) != i) return false;
    }
    return true;
}
static_assert(tableInEnumOrder());

}  // namespace

const MessageSpec& specOf(Message message) { return kTable[static_cast<std::size_t>(message)]; }

std::optional<Message> singleByteCommand(std::uint8_t byte) {
    for (const MessageSpec& spec : kTable) {
        if (spec.message != Message::StepPulse && spec.bytes.size() == 1 && spec.bytes[0] == byte) {
            return spec.message;
        }
    }
    return std::nullopt;
}

std::optional<Message> prefixedCommand(std::uint8_t subCode) {
    for (const MessageSpec& spec : kTable) {
        if (spec.bytes.size() == 2 && spec.bytes[0] == kPrefixByte && spec.bytes[1] == subCode) {
            return spec.message;
        }
    }
    return std::nullopt;
}

std::uint8_t burningTimeByte(int position) {
    return static_cast<std::uint8_t>(std::clamp(position, kBurningTimeMin, kBurningTimeMax));
}

}  // namespace tessary::engrave
