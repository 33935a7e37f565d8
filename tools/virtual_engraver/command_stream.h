// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Splits the bytes the console sends into messages. The protocol has no framing, so an image whose
// header is garbled or whose bytes stop short is dropped after a quiet time-out and the stream resyncs.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engrave/protocol.h"
#include "virtual_engraver/wire_image.h"

namespace tessary::virtual_engraver {

using Millis = std::int64_t;

struct Received {
    enum class Kind {
        Command,          // a single-byte or FC-prefixed command: `message`
        StepPulse,        // FA n: `value` = n
        BurningTime,      // a lone byte 1..240: `value`
        Erase,            // FE x 8
        PartialErase,     // fewer than eight FE: `value` = how many
        Image,            // `image`; `value` = ms since the erase burst ended
        ImageRefused,     // garbled header; its bytes are dropped until the line is quiet: `detail`
        ImageIncomplete,  // the line went quiet before the declared size: `value` bytes of `detail`
        Dropped,          // `value` bytes dropped while resyncing after a refused image
        Unexpected,       // a byte with no meaning here, `value`; `detail` says where
    };
    Kind kind = Kind::Unexpected;
    engrave::Message message = engrave::Message::StartCarving;
    int value = 0;
    std::string detail;
    std::optional<WireImage> image;
};

class CommandStream {
  public:
    /// `quietTimeout`: how long a started but unfinished message may wait for its next byte.
    explicit CommandStream(Millis quietTimeout) : timeout_(quietTimeout) {}

    /// Decodes bytes received at `now` (monotonic milliseconds).
    std::vector<Received> feed(std::span<const std::uint8_t> bytes, Millis now);
    /// Ends an unfinished message whose time-out has passed.
    std::vector<Received> expire(Millis now);
    /// When expire() next has something to do.
    std::optional<Millis> deadline() const;

  private:
    enum class State { Idle, StepPulse, Prefixed, EraseRun, AwaitImage, ImageSignature, Image, Discard };

    // Reads from the front of `rest` in the present state; returns how many bytes it used (0: the byte
    // is read again in the new state).
    std::size_t step(std::span<const std::uint8_t> rest, Millis now, std::vector<Received>& out);
    void idle(std::uint8_t byte, std::vector<Received>& out);
    void prefixed(std::uint8_t byte, std::vector<Received>& out);
    std::size_t eraseRun(std::uint8_t byte, Millis now, std::vector<Received>& out);
    std::size_t imageBytes(std::span<const std::uint8_t> rest, std::vector<Received>& out);
    void finishImage(std::vector<Received>& out);
    void giveUp(std::vector<Received>& out);

    Millis timeout_;
    State state_ = State::Idle;
    Millis lastByte_ = 0;
    Millis eraseEnded_ = 0;
    Millis imageStarted_ = 0;
    int eraseCount_ = 0;
    std::size_t dropped_ = 0;
    std::optional<WireImageHeader> header_;
    std::vector<std::uint8_t> image_;
};

}  // namespace tessary::virtual_engraver
