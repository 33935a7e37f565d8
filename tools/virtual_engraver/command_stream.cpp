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
    while (i < bytes.size()) {
        const std::uint8_t byte = bytes[i];
        switch (state_) {
            case State::Idle:
                idle(byte, out);
                ++i;
                break;
            case State::StepPulse: {
                Received r = make(Received::Kind::StepPulse, byte);
                r.message = Message::StepPulse;
                out.push_back(std::move(r));
                state_ = State::Idle;
                ++i;
                break;
            }
            case State::Prefixed:
                if (const auto message = engrave::prefixedCommand(byte)) {
                    Received r = make(Received::Kind::Command);
                    r.message = *message;
                    out.push_back(std::move(r));
                } else {
                    out.push_back(make(Received::Kind::Unexpected, byte, "after FC"));
                }
                state_ = State::Idle;
                ++i;
                break;
            case State::EraseRun:
                if (byte != engrave::kEraseByte) {
                    out.push_back(make(Received::Kind::PartialErase, eraseCount_));
                    state_ = State::Idle;
                    break;  // the byte is read again as the start of something new
                }
                ++i;
                if (++eraseCount_ == engrave::kEraseBurstLength) {
                    out.push_back(make(Received::Kind::Erase));
                    eraseEnded_ = now;
                    state_ = State::AwaitImage;
                }
                break;
            case State::AwaitImage:
                if (byte == 'B') {
                    imageStarted_ = now;
                    state_ = State::ImageSignature;
                    ++i;
                } else {
                    state_ = State::Idle;
                }
                break;
            case State::ImageSignature:
                if (byte == 'M') {
                    image_.assign({'B', 'M'});
                    header_.reset();
                    state_ = State::Image;
                    ++i;
                } else {
                    // A lone 'B' after an erase that no image followed was a burning time of 66.
                    out.push_back(make(Received::Kind::BurningTime, 'B'));
                    state_ = State::Idle;
                }
                break;
            case State::Image: {
                const std::size_t target = header_ ? header_->fileSize : kWireHeaderLength;
                const std::size_t take = std::min(target - image_.size(), bytes.size() - i);
                image_.insert(image_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i),
                              bytes.begin() + static_cast<std::ptrdiff_t>(i + take));
                i += take;
                if (image_.size() < target) break;
                if (!header_) {
                    std::string problem;
                    header_ = readWireImageHeader(image_, problem);
                    if (!header_) {
                        out.push_back(make(Received::Kind::ImageRefused, 0, problem));
                        dropped_ = image_.size();
                        image_.clear();
                        state_ = State::Discard;
                        break;
                    }
                    if (image_.size() < header_->fileSize) break;
                }
                finishImage(out);
                break;
            }
            case State::Discard:
                dropped_ += bytes.size() - i;
                i = bytes.size();
                break;
        }
    }
    if (!bytes.empty()) lastByte_ = now;
    return out;
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
        case State::EraseRun: out.push_back(make(Received::Kind::PartialErase, eraseCount_)); break;
        case State::ImageSignature: out.push_back(make(Received::Kind::BurningTime, 'B')); break;
        case State::Image: {
            const std::string of =
                header_ ? std::to_string(header_->fileSize) : std::string("an unknown number of");
            out.push_back(make(Received::Kind::ImageIncomplete, static_cast<int>(image_.size()), of));
            image_.clear();
            break;
        }
        case State::Discard: out.push_back(make(Received::Kind::Dropped, static_cast<int>(std::min<std::size_t>(dropped_, INT32_MAX))));
            break;
        case State::Idle:
        case State::AwaitImage: return;
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
