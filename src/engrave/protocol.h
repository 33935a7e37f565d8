// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every message the console writes to the engraver: its bytes, the log line that follows it and the pause
// after that. Each byte goes out in its own one-byte SendData call.
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tessary::engrave {

enum class Message {
    StartCarving,
    Pause,
    LowerLeftCorner,
    FrameCarvingArea,
    JogUp,
    JogDown,
    JogLeft,
    JogRight,
    Restart,
    StepPulse,
    MiddleOfImage,
    FastBackward,
    FastForward,
    Recarve,
    EraseLastImage,
    ImageData,
    BurningTime,
};

struct MessageSpec {
    Message message;
    std::string_view name;
    // The fixed bytes. StepPulse is followed by its parameter byte; BurningTime and ImageData have none.
    std::span<const std::uint8_t> bytes;
    // Logged after the bytes; empty where the message itself logs nothing.
    std::string_view logLine;
    // After the log line, or after the last byte when there is no log line.
    std::chrono::milliseconds pause;
};

const MessageSpec& specOf(Message message);

/// The single-byte command a byte stands for (F1..F9, FB), if any.
std::optional<Message> singleByteCommand(std::uint8_t byte);
/// The message of FC followed by `subCode`, if any.
std::optional<Message> prefixedCommand(std::uint8_t subCode);

inline constexpr std::uint8_t kPrefixByte = 0xFC;
inline constexpr std::uint8_t kStepPulseByte = 0xFA;
inline constexpr std::uint8_t kEraseByte = 0xFE;
inline constexpr int kEraseBurstLength = 8;

inline constexpr int kBurningTimeMin = 1;
inline constexpr int kBurningTimeMax = 240;

/// The burning-time byte. Clamped to 1..240: a larger value would reach the machine as a command code.
std::uint8_t burningTimeByte(int position);

}  // namespace tessary::engrave
