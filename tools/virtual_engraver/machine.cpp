// SPDX-License-Identifier: GPL-3.0-or-later
#include "virtual_engraver/machine.h"

#include <algorithm>
#include <utility>

namespace tessary::virtual_engraver {
namespace {

using engrave::Message;

std::string pointText(Point p) { return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")"; }

Point clampToTravel(Point p) {
    return {std::clamp(p.x, 0, Machine::kTravelWidth - 1), std::clamp(p.y, 0, Machine::kTravelHeight - 1)};
}

}  // namespace

std::string Machine::apply(Message message) {
    switch (message) {
        case Message::StartCarving:
            return start();
        case Message::Pause:
            return pause();
        case Message::Restart:
            return restart();
        case Message::Recarve:
            return recarve();
        case Message::FastBackward:
            return skip(-kSkipRows);
        case Message::FastForward:
            return skip(kSkipRows);
        case Message::JogUp:
            return moveTo({head_.x, head_.y - jogStep_});
        case Message::JogDown:
            return moveTo({head_.x, head_.y + jogStep_});
        case Message::JogLeft:
            return moveTo({head_.x - jogStep_, head_.y});
        case Message::JogRight:
            return moveTo({head_.x + jogStep_, head_.y});
        case Message::LowerLeftCorner:
            return moveTo(kLowerLeft);
        case Message::MiddleOfImage:
            return moveTo(kMiddle);
        case Message::FrameCarvingArea:
            return frame();
        case Message::EraseLastImage:
            return erase();
        case Message::StepPulse:
        case Message::ImageData:
        case Message::BurningTime:
            break;
    }
    return "nothing to do";
}

std::string Machine::erase() {
    image_.reset();
    burnt_.reset();
    blackPixels_ = 0;
    walk_ = Walk::Stopped;
    row_ = column_ = reported_ = 0;
    return "image erased";
}

std::string Machine::load(WireImage image) {
    int black = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) black += image.burns(x, y) ? 1 : 0;
    }
    burnt_ = image.blank();
    image_ = std::move(image);
    blackPixels_ = black;
    walk_ = Walk::Stopped;
    row_ = column_ = reported_ = 0;
    return std::to_string(image_->width()) + "x" + std::to_string(image_->height()) + ", " +
           std::to_string(black) + " black pixels";
}

std::string Machine::rowText() const { return "row " + std::to_string(row_); }

std::string Machine::start() {
    if (!image_) return "no image to carve";
    switch (walk_) {
        case Walk::Carving:
            return "already carving, " + rowText();
        case Walk::Paused:
            walk_ = Walk::Carving;
            return "resumed at " + rowText();
        case Walk::Finished:
            row_ = column_ = reported_ = 0;
            break;
        case Walk::Stopped:
            break;
    }
    walk_ = Walk::Carving;
    return "carving " + std::to_string(blackPixels_) + " black pixels from " + rowText();
}

std::string Machine::pause() {
    switch (walk_) {
        case Walk::Carving:
            walk_ = Walk::Paused;
            return "paused at " + rowText();
        case Walk::Paused:
            walk_ = Walk::Carving;
            return "resumed at " + rowText();
        case Walk::Stopped:
        case Walk::Finished:
            break;
    }
    return "not carving";
}

std::string Machine::restart() {
    motions_.clear();
    walk_ = Walk::Stopped;
    row_ = column_ = reported_ = 0;
    return "stopped, back at row 0";
}

std::string Machine::recarve() {
    if (!image_) return "no image to carve";
    row_ = column_ = reported_ = 0;
    walk_ = Walk::Carving;
    return "carving again from row 0";
}

std::string Machine::skip(int rows) {
    const int last = image_ ? image_->height() : 0;
    row_ = std::clamp(row_ + rows, 0, last);
    column_ = 0;
    if (walk_ == Walk::Finished) walk_ = Walk::Stopped;
    return "next " + rowText();
}

std::string Machine::moveTo(Point target) {
    if (walk_ == Walk::Carving) return "ignored while carving";
    head_ = clampToTravel(target);
    motions_.push_back(head_);
    return "head at " + pointText(head_);
}

std::string Machine::frame() {
    if (walk_ == Walk::Carving) return "ignored while carving";
    if (!image_) return "no image to frame";
    if (blackPixels_ == 0) return "no black pixels to frame";
    int left = image_->width(), top = image_->height(), right = -1, bottom = -1;
    for (int y = 0; y < image_->height(); ++y) {
        for (int x = 0; x < image_->width(); ++x) {
            if (!image_->burns(x, y)) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    const std::size_t before = motions_.size();
    for (int x = left; x <= right; ++x) motions_.push_back({x, top});
    for (int y = top + 1; y <= bottom; ++y) motions_.push_back({right, y});
    if (bottom > top) {
        for (int x = right - 1; x >= left; --x) motions_.push_back({x, bottom});
    }
    if (right > left) {
        for (int y = bottom - 1; y > top; --y) motions_.push_back({left, y});
    }
    return "tracing " + pointText({left, top}) + " to " + pointText({right, bottom}) + ", " +
           std::to_string(motions_.size() - before) + " positions";
}

std::optional<Point> Machine::next() {
    if (!motions_.empty()) {
        head_ = motions_.front();
        motions_.pop_front();
        return head_;
    }
    if (walk_ != Walk::Carving || !image_) return std::nullopt;
    for (; row_ < image_->height(); ++row_, column_ = 0) {
        for (; column_ < image_->width(); ++column_) {
            if (image_->burns(column_, row_)) {
                burnt_->markBurnt(column_, row_);
                head_ = {column_++, row_};
                ++reported_;
                return head_;
            }
        }
    }
    walk_ = Walk::Finished;
    note_ = "carving finished, " + std::to_string(reported_) + " pixels reported";
    return std::nullopt;
}

std::optional<std::string> Machine::takeNote() { return std::exchange(note_, std::nullopt); }

}  // namespace tessary::virtual_engraver
