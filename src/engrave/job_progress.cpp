// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/job_progress.h"

#include <algorithm>
#include <cmath>

namespace tessary::engrave {
namespace {

std::int32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                     static_cast<std::uint32_t>(b[at + 3]) << 24);
}

constexpr int kMaxSide = 1 << 15;

}  // namespace

std::optional<CarvingOrder> CarvingOrder::fromWireImage(std::span<const std::uint8_t> bmp) {
    if (bmp.size() < 62 || bmp[0] != 'B' || bmp[1] != 'M') return std::nullopt;
    const std::int32_t offset = le32(bmp, 10), width = le32(bmp, 18), height = le32(bmp, 22);
    const int bits = bmp[28] | bmp[29] << 8;
    if (bits != 1 || le32(bmp, 30) != 0 || width <= 0 || width > kMaxSide || height == 0 ||
        height < -kMaxSide || height > kMaxSide || offset < 0)
        return std::nullopt;
    const int rows = std::abs(height);
    const std::size_t stride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
    if (static_cast<std::size_t>(offset) + stride * static_cast<std::size_t>(rows) > bmp.size())
        return std::nullopt;

    CarvingOrder order;
    order.width_ = width;
    order.height_ = rows;
    order.black_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows));
    order.rowStart_.reserve(static_cast<std::size_t>(rows) + 1);
    std::int64_t count = 0;
    // The machine takes the rows as they come over the wire: the first stored row is its row 0.
    for (int y = 0; y < rows; ++y) {
        order.rowStart_.push_back(count);
        const std::uint8_t* row = bmp.data() + offset + stride * static_cast<std::size_t>(y);
        for (int x = 0; x < width; ++x) {
            const bool black = ((row[x / 8] >> (7 - x % 8)) & 1) == 0;
            order.black_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                         static_cast<std::size_t>(x)] = black;
            count += black;
        }
    }
    order.rowStart_.push_back(count);
    return order;
}

std::int64_t CarvingOrder::upTo(Point p) const {
    if (p.y < 0 || height_ == 0) return 0;
    if (p.y >= height_) return total();
    std::int64_t n = rowStart_[static_cast<std::size_t>(p.y)];
    const std::uint8_t* row =
        black_.data() + static_cast<std::size_t>(p.y) * static_cast<std::size_t>(width_);
    const int last = std::min(p.x, width_ - 1);
    for (int x = 0; x <= last; ++x) n += row[x];
    return n;
}

std::string durationText(std::chrono::seconds seconds) {
    const long long s = std::max<long long>(seconds.count(), 0);
    if (s < 60) return std::to_string(s) + " s";
    return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
}

void JobProgress::imageErased() {
    order_.reset();
    restart();
}

void JobProgress::imageSent(CarvingOrder order) {
    order_ = std::move(order);
    restart();
}

void JobProgress::clearCount() {
    done_ = 0;
    percent_ = 0;
    samples_.clear();
    left_.reset();
}

void JobProgress::await(Time now) {
    awaiting_ = true;
    silent_ = false;
    awaitingSince_ = now;
}

void JobProgress::begin(Time now) {
    state_ = State::Running;
    started_ = now;
    clearCount();
}

bool JobProgress::start(Time now) {
    lost_ = false;  // the command reached the machine
    if (!order_ || order_->total() == 0) return false;
    const bool fresh = state_ == State::Idle;
    if (fresh) begin(now);
    if (state_ == State::Paused) {
        state_ = State::Running;
        samples_.clear();
    }
    await(now);
    return fresh;
}

void JobProgress::pause(Time now) {
    lost_ = false;  // the command reached the machine
    if (state_ == State::Running) {
        state_ = State::Paused;
    } else if (state_ == State::Paused) {
        state_ = State::Running;
        samples_.clear();  // the rate before the pause says nothing about the time the pause took
        await(now);
    }
}

void JobProgress::restart() {
    state_ = State::Idle;
    lost_ = false;
    awaiting_ = silent_ = false;
    clearCount();
}

bool JobProgress::recarve(Time now) {
    lost_ = false;  // the command reached the machine
    if (!order_ || order_->total() == 0) return false;
    if (state_ == State::Idle) {
        begin(now);
    } else {
        state_ = State::Running;
        clearCount();
    }
    await(now);
    return true;
}

void JobProgress::skip() { samples_.clear(); }

void JobProgress::machineLost() {
    if (state_ == State::Idle) return;
    lost_ = true;
    samples_.clear();
    left_.reset();
}

void JobProgress::machineBack(Time now) {
    if (state_ == State::Idle) return;
    lost_ = false;
    if (state_ == State::Running) await(now);
}

bool JobProgress::checkSilence(Time now) {
    if (!awaitingReport() || now - awaitingSince_ < kSilence) return false;
    silent_ = true;
    left_.reset();
    return true;
}

JobProgress::Step JobProgress::report(Point p, Time now) {
    if (state_ != State::Running || !order_) return Step::Nothing;
    lost_ = false;
    awaiting_ = silent_ = false;
    done_ = order_->upTo(p);
    if (done_ >= order_->total()) {
        state_ = State::Idle;
        return Step::Finished;
    }
    samples_.push_back({now, done_});
    while (samples_.size() > 2 && now - samples_.front().at > kRateWindow) samples_.pop_front();
    const int percent = static_cast<int>(done_ * 100 / order_->total());
    // The time left is worked out anew with each percent and at most once a second in between.
    if (percent != percent_ || !left_ || now - leftAt_ >= std::chrono::seconds(1)) {
        percent_ = percent;
        updateTimeLeft(now);
    }
    return Step::Moved;
}

void JobProgress::updateTimeLeft(Time now) {
    leftAt_ = now;
    left_.reset();
    if (samples_.size() < 2) return;
    const Sample& first = samples_.front();
    const Sample& last = samples_.back();
    const double span = std::chrono::duration<double>(last.at - first.at).count();
    const auto carved = static_cast<double>(last.done - first.done);
    if (span < std::chrono::duration<double>(kMinSpan).count() || carved <= 0) return;
    const double seconds = static_cast<double>(order_->total() - done_) * span / carved;
    left_ = std::chrono::seconds(static_cast<long long>(std::ceil(std::min(seconds, 1e9))));
}

std::string JobProgress::barText() const {
    std::string text = state_ == State::Paused ? "Paused" : "Engraving: " + std::to_string(percent_) + " %";
    if (lost_) return text + " \xC2\xB7 machine not connected";
    if (silent_ && state_ == State::Running) return text + std::string(kSilentText);
    if (left_ && state_ != State::Paused) text += " \xC2\xB7 about " + durationText(*left_) + " left";
    return text;
}

std::chrono::seconds JobProgress::elapsed(Time now) const {
    return std::chrono::duration_cast<std::chrono::seconds>(now - started_ + std::chrono::milliseconds(500));
}

}  // namespace tessary::engrave
