// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The thread that owns all I/O on an open port: it waits for line events, received bytes, write requests
// and the stop request in one poll, queues every received byte, and performs the writes that SendData hands
// it.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "app/model/value.h"
#include "link/event_queue.h"
#include "link/tty_device.h"

namespace tessary::link {

struct WorkerOptions {
    std::optional<std::uint8_t> eventChar;
    bool parityCheck = false;
    std::int32_t timeoutMs = 1000;  // write deadline: this plus this per byte; 0 means none
    std::int32_t baudRate = 57600;  // paces the wait for the transmitter to empty
};

class PortWorker {
  public:
    PortWorker(TtyDevice& device, std::shared_ptr<EventQueue> queue, WorkerOptions options);
    // Stops the thread and waits for it.
    ~PortWorker();
    PortWorker(const PortWorker&) = delete;
    PortWorker& operator=(const PortWorker&) = delete;

    // Purges the driver's buffers, writes all bytes and waits until they are sent. Blocks the caller; once
    // the write has lasted a moment, `whileWaiting` runs on the caller's thread every few milliseconds.
    // False when the write fails, does not finish by its deadline, or the device is gone.
    bool write(const Bytes& bytes, const std::function<void()>& whileWaiting = {});
    // Bytes of the current write that have left the driver's transmit buffer (an estimate the driver allows).
    std::size_t bytesSent() const { return sent_.load(); }
    // True once the device has vanished (adapter pulled, far end of a pty closed).
    bool deviceGone() const { return gone_.load(); }

  private:
    void run();
    bool waitOnce();
    void collectLineEvents(std::vector<QueueEntry>& out);
    // Queues everything the driver holds; returns the number of bytes taken.
    std::size_t readAvailable();
    // When a write gives up for want of progress: `limit` moves on each time the bytes sent change.
    class StallWatch {
      public:
        explicit StallWatch(std::int32_t timeoutMs);
        std::chrono::steady_clock::time_point limit(std::chrono::steady_clock::time_point deadline,
                                                    std::size_t sent);

      private:
        long long allowance_;
        std::size_t sent_ = 0;
        std::chrono::steady_clock::time_point lastMove_;
    };
    bool performWrite(const Bytes& bytes);
    bool waitForTransmitter(std::size_t total, std::chrono::steady_clock::time_point deadline, bool limited,
                            StallWatch& stall);
    void noteSent(std::size_t handedOver);
    // Notes the loss once and tells the window thread, after the bytes queued before it.
    void markGone();
    void wake();

    TtyDevice& device_;
    std::shared_ptr<EventQueue> queue_;
    WorkerOptions options_;
    int wakeFd_ = -1;

    std::mutex mutex_;
    std::condition_variable writeDone_;
    std::condition_variable started_;
    bool running_ = false;
    bool stopRequested_ = false;
    const Bytes* sendBuffer_ = nullptr;
    bool writeFinished_ = false;
    bool writeResult_ = false;

    std::atomic<bool> gone_{false};
    std::atomic<std::size_t> sent_{0};
    std::optional<LineCounters> counters_;
    std::optional<ModemLines> lines_;
    std::chrono::steady_clock::time_point restUntil_{};
    std::thread thread_;
};

}  // namespace tessary::link
