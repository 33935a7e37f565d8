// SPDX-License-Identifier: GPL-3.0-or-later
#include "virtual_engraver/command_stream.h"

#include <algorithm>

namespace tessary::virtual_engraver {
namespace {

using engrave::Message;

Received make(Received::Kind kind, int value = 0, std::string detail = {}) {
    Received r;
    r.kind = kind;
    r.value = value;
    r.detail = std::move(detail);
    return r;
}

}  // namespace

std::vector<Received> CommandStream::feed(std::span<const std::uint8_t> bytes, Millis now) {
    std::vector<Received> out = expire(now);
    std::size_t i = 0;
    while (i < bytes.size()) i += step(bytes.subspan(i), now, out);
    if (!bytes.empty()) lastByte_ = now;
    return out;
}

std::size_t CommandStream::step(std::span<const std::uint8_t> rest, Millis now, std::vector<Received>& out) {
    const std::uint8_t byte = rest.front();
    switch (state_) {
        case State::Idle:
            idle(byte, out);
            return 1;
        case State::StepPulse: {
            Received r = make(Received::Kind::StepPulse, byte);
            r.message = Message::StepPulse;
            out.push_back(std::move(r));
            state_ = State::Idle;
            return 1;
        }
        case State::Prefixed:
            prefixed(byte, out);
            return 1;
        case State::EraseRun:
            return eraseRun(byte, now, out);
        case State::AwaitImage:
            if (byte != 'B') {
                state_ = State::Idle;
                return 0;
            }
            imageStarted_ = now;
            state_ = State::ImageSignature;
            return 1;
        case State::ImageSignature:
            if (byte != 'M') {
                // A lone 'B' after an erase that no image followed was a burning time of 66.
                out.push_back(make(Received::Kind::BurningTime, 'B'));
                state_ = State::Idle;
                return 0;
            }
            image_.assign({'B', 'M'});
            header_.reset();
            state_ = State::Image;
            return 1;
        case State::Image:
            return imageBytes(rest, out);
        case State::Discard:
            dropped_ += rest.size();
            return rest.size();
    }
    return 1;
}

void CommandStream::prefixed(std::uint8_t byte, std::vector<Received>& out) {
    if (const auto message = engrave::prefixedCommand(byte)) {
        Received r = make(Received::Kind::Command);
        r.message = *message;
        out.push_back(std::move(r));
    } else {
        out.push_back(make(Received::Kind::Unexpected, byte, "after FC"));
    }
    state_ = State::Idle;
}

std::size_t CommandStream::eraseRun(std::uint8_t byte, Millis now, std::vector<Received>& out) {
    if (byte != engrave::kEraseByte) {
        out.push_back(make(Received::Kind::PartialErase, eraseCount_));
        state_ = State::Idle;
        return 0;  // the byte is read again as the start of something new
    }
    if (++eraseCount_ == engrave::kEraseBurstLength) {
        out.push_back(make(Received::Kind::Erase));
        eraseEnded_ = now;
        state_ = State::AwaitImage;
    }
    return 1;
}

std::size_t CommandStream::imageBytes(std::span<const std::uint8_t> rest, std::vector<Received>& out) {
    const std::size_t target = header_ ? header_->fileSize : kWireHeaderLength;
    const std::size_t take = std::min(target - image_.size(), rest.size());
    image_.insert(image_.end(), rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(take));
    if (image_.size() < target) return take;
    if (!header_) {
        std::string problem;
        header_ = readWireImageHeader(image_, problem);
        if (!header_) {
            out.push_back(make(Received::Kind::ImageRefused, 0, problem));
            dropped_ = image_.size();
            image_.clear();
            state_ = State::Discard;
            return take;
        }
        if (image_.size() < header_->fileSize) return take;
    }
    finishImage(out);
    return take;
}

void CommandStream::idle(std::uint8_t byte, std::vector<Received>& out) {
    if (byte >= engrave::kBurningTimeMin && byte <= engrave::kBurningTimeMax) {
        out.push_back(make(Received::Kind::BurningTime, byte));
    } else if (const auto message = engrave::singleByteCommand(byte)) {
        Received r = make(Received::Kind::Command);
        r.message = *message;
        out.push_back(std::move(r));
    } else if (byte == engrave::kStepPulseByte) {
        state_ = State::StepPulse;
    } else if (byte == engrave::kPrefixByte) {
        state_ = State::Prefixed;
    } else if (byte == engrave::kEraseByte) {
        eraseCount_ = 1;
        state_ = State::EraseRun;
    } else {
        out.push_back(make(Received::Kind::Unexpected, byte, "outside any message"));
    }
}

void CommandStream::finishImage(std::vector<Received>& out) {
    std::string problem;
    Received r = make(Received::Kind::Image, static_cast<int>(imageStarted_ - eraseEnded_));
    r.message = Message::ImageData;
    r.image = WireImage::parse(std::move(image_), problem);
    if (!r.image) r = make(Received::Kind::ImageRefused, 0, problem);
    out.push_back(std::move(r));
    image_.clear();
    state_ = State::Idle;
}

void CommandStream::giveUp(std::vector<Received>& out) {
    switch (state_) {
        case State::StepPulse:
            out.push_back(make(Received::Kind::Unexpected, engrave::kStepPulseByte, "without its parameter"));
            break;
        case State::Prefixed:
            out.push_back(make(Received::Kind::Unexpected, engrave::kPrefixByte, "without its sub-code"));
            break;
        case State::EraseRun:
            out.push_back(make(Received::Kind::PartialErase, eraseCount_));
            break;
        case State::ImageSignature:
            out.push_back(make(Received::Kind::BurningTime, 'B'));
            break;
        case State::Image: {
            const std::string of =
                header_ ? std::to_string(header_->fileSize) : std::string("an unknown number of");
            out.push_back(make(Received::Kind::ImageIncomplete, static_cast<int>(image_.size()), of));
            image_.clear();
            break;
        }
        case State::Discard:
            out.push_back(
                make(Received::Kind::Dropped, static_cast<int>(std::min<std::size_t>(dropped_, INT32_MAX))));
            break;
        case State::Idle:
        case State::AwaitImage:
            return;
    }
    state_ = State::Idle;
}

std::vector<Received> CommandStream::expire(Millis now) {
    std::vector<Received> out;
    if (const auto due = deadline(); due && now >= *due) giveUp(out);
    return out;
}

std::optional<Millis> CommandStream::deadline() const {
    if (state_ == State::Idle || state_ == State::AwaitImage) return std::nullopt;
    return lastByte_ + timeout_;
}

}  // namespace tessary::virtual_engraver
