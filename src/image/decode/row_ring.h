// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rows handed from a reading thread to the calling one through a small ring, so that reading (inflating,
// copying from the file) and scaling run at once. Each side sleeps until a batch of rows is ready for it,
// so that the two threads do not wake each other for every row.
#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tessary::image::decode {

class RowRing {
  public:
    // `capacity` rows of `stride` bytes; a sleeping side is woken when `batch` rows (fewer at the end) are
    // there for it. capacity >= batch + 1.
    RowRing(std::size_t stride, std::uint32_t rows, std::uint32_t capacity, std::uint32_t batch)
        : stride_(stride), rows_(rows), capacity_(capacity), batch_(batch), slots_(stride * capacity) {}

    std::uint32_t rows() const { return rows_; }
    std::uint8_t* slot(std::uint32_t y) { return slots_.data() + (y % capacity_) * stride_; }

    // Reading side: wait until row y may be written; false when the reading is to stop.
    bool waitForRoom(std::uint32_t y) {
        std::unique_lock lock(mutex_);
        if (y - consumed_ < capacity_) return !stop_;
        producerWants_ = y + std::min(batch_, rows_ - y) - capacity_;
        producerWaits_ = true;
        room_.wait(lock, [&] { return stop_ || consumed_ >= producerWants_; });
        producerWaits_ = false;
        return !stop_;
    }
    void produced(std::uint32_t y) {
        std::lock_guard lock(mutex_);
        produced_ = y + 1;
        if (consumerWaits_ && produced_ >= consumerWants_) rowsReady_.notify_one();
    }
    void done(bool ok) {
        std::lock_guard lock(mutex_);
        done_ = true;
        ok_ = ok;
        rowsReady_.notify_one();
    }

    // Calling side: wait until row y is there; false when the reading ended without it.
    bool waitForRow(std::uint32_t y) {
        std::unique_lock lock(mutex_);
        if (produced_ > y) return true;
        consumerWants_ = std::min(y + batch_, rows_);
        consumerWaits_ = true;
        rowsReady_.wait(lock, [&] { return done_ || produced_ >= consumerWants_; });
        consumerWaits_ = false;
        return produced_ > y;
    }
    // Rows up to y may be overwritten.
    void consumed(std::uint32_t y) {
        std::lock_guard lock(mutex_);
        consumed_ = y + 1;
        if (producerWaits_ && consumed_ >= producerWants_) room_.notify_one();
    }
    // Whether the reading side finished with success.
    bool waitForEnd() {
        std::unique_lock lock(mutex_);
        rowsReady_.wait(lock, [&] { return done_; });
        return ok_;
    }
    void stop() {
        std::lock_guard lock(mutex_);
        stop_ = true;
        room_.notify_one();
    }

  private:
    std::size_t stride_;
    std::uint32_t rows_;
    std::uint32_t capacity_;
    std::uint32_t batch_;
    std::vector<std::uint8_t> slots_;
    std::mutex mutex_;
    std::condition_variable room_;
    std::condition_variable rowsReady_;
    std::uint32_t produced_ = 0;
    std::uint32_t consumed_ = 0;
    std::uint32_t producerWants_ = 0;
    std::uint32_t consumerWants_ = 0;
    bool producerWaits_ = false;
    bool consumerWaits_ = false;
    bool done_ = false;
    bool ok_ = false;
    bool stop_ = false;
};

// Runs the reading side on a thread of its own; whatever way the calling side leaves, the reading is
// stopped and the thread joined. The body ends by calling ring.done(). Throws std::system_error when no
// thread can be started.
class RowReader {
  public:
    RowReader(RowRing& ring, std::function<void()> body) : ring_(ring), thread_(std::move(body)) {}
    ~RowReader() {
        ring_.stop();
        thread_.join();
    }
    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;

  private:
    RowRing& ring_;
    std::thread thread_;
};

}  // namespace tessary::image::decode
