// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The thread that owns all I/O on an open port: it waits for received bytes, line events, write requests and
// the stop request, queues every received byte, and performs the writes that SendData hands it.
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

#include "app/model/bytes.h"
#include "link/event_queue.h"
#include "link/link_clock.h"
#include "link/port_device.h"

namespace tessary::link {

struct WorkerOptions {
    std::optional<std::uint8_t> eventChar;
    std::int32_t timeoutMs = 1000;                // write deadline: this plus this per byte; 0 means none
    std::int32_t baudRate = 57600;                // paces the wait for the transmitter to empty
    const LinkClock* clock = &steadyLinkClock();  // the deadlines of writes, rests and the close
};

class PortWorker {
  public:
    // How long closing lets the driver send what it still holds before it is discarded.
    static constexpr auto kCloseDrain = std::chrono::seconds(2);

    PortWorker(std::unique_ptr<PortDevice> device, std::shared_ptr<EventQueue> queue, WorkerOptions options);
    // Stops the thread, then closes the device (see kCloseDrain).
    ~PortWorker();
    PortWorker(const PortWorker&) = delete;
    PortWorker& operator=(const PortWorker&) = delete;

    // Purges the driver's buffers, writes all bytes and waits until they are sent. Blocks the caller; once
    // the write has lasted a moment, `whileWaiting` runs on the caller's thread every few milliseconds.
    // False when the write fails, does not finish by its deadline, stalls, the device is gone or the worker
    // is being stopped.
    bool write(const Bytes& bytes, const std::function<void()>& whileWaiting = {});
    // Bytes of the current write that have left the driver (an estimate the driver allows).
    std::size_t bytesSent() const { return sent_.load(); }
    // Any thread: ends a write in progress (it fails) and the thread; the destructor then only waits.
    void requestStop();

  private:
    using Clock = std::chrono::steady_clock;
    // When a write gives up for want of progress: `limit` moves on each time the bytes sent change, and
    // never comes before the line could have carried the bytes the driver has taken.
    class StallWatch {
      public:
        StallWatch(std::int32_t timeoutMs, std::int32_t baudRate, const LinkClock& clock);
        Clock::time_point limit(Clock::time_point deadline, std::size_t sent, std::size_t taken);

      private:
        const LinkClock& clock_;
        long long allowance_;
        double slowestBytesPerSecond_;
        std::size_t sent_ = 0;
        Clock::time_point start_;
        Clock::time_point lastMove_;
    };

    Clock::time_point now() const { return options_.clock->now(); }
    // Milliseconds until the deadline, 0 once it has passed.
    int remainingMs(Clock::time_point deadline) const;
    void run();
    bool waitOnce();
    bool stopRequested();
    // Queues everything the driver holds; returns the number of bytes taken.
    std::size_t readAvailable();
    bool performWrite(const Bytes& bytes);
    bool waitForTransmitter(std::size_t total, Clock::time_point deadline, bool limited, StallWatch& stall);
    // Notes the loss once and tells the window thread, after the bytes queued before it.
    void noteIfGone();
    void closeDevice();

    std::unique_ptr<PortDevice> device_;
    std::shared_ptr<EventQueue> queue_;
    WorkerOptions options_;

    std::mutex mutex_;
    std::condition_variable writeDone_;
    std::condition_variable started_;
    bool running_ = false;
    std::atomic<bool> stopRequested_{false};
    const Bytes* sendBuffer_ = nullptr;
    bool writeFinished_ = false;
    bool writeResult_ = false;

    bool goneTold_ = false;
    std::atomic<std::size_t> sent_{0};
    Clock::time_point restUntil_{};
    std::thread thread_;
};

}  // namespace tessary::link
