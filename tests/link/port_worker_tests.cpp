// SPDX-License-Identifier: GPL-3.0-or-later
// Closing the port worker over a device whose driver is slow to send, or never does; opening a device that is
// slow to open.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "link/open_within.h"
#include "link/port_worker.h"

namespace tessary::link {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct DriverLog {
    Clock::time_point sentBy;  // when the driver has sent everything it took
    bool discarded = false;
};

// A device that received nothing and holds bytes to send until `sentBy`.
class SlowDevice : public PortDevice {
  public:
    explicit SlowDevice(DriverLog& log) : log_(log) {}
    void wake() override {
        std::lock_guard lock(mutex_);
        woken_ = true;
        cv_.notify_all();
    }
    void start() override {}
    void finish() override {}
    void wait(int timeoutMs, bool, bool) override {
        std::unique_lock lock(mutex_);
        const auto woken = [this] { return woken_; };
        if (timeoutMs < 0)
            cv_.wait(lock, woken);
        else
            cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), woken);
        woken_ = false;
    }
    std::size_t read(std::uint8_t*, std::size_t, std::vector<QueueEntry>&) override { return 0; }
    void settleInput() override {}
    bool watchesLines() const override { return false; }
    void lineEvents(std::vector<QueueEntry>&) override {}
    std::optional<std::size_t> write(const std::uint8_t*, std::size_t count) override { return count; }
    std::optional<std::size_t> pendingOutput() override {
        return log_.discarded || Clock::now() >= log_.sentBy ? 0 : 100;
    }
    void discardOutput() override { log_.discarded = true; }
    void purge() override {}
    bool gone() const override { return false; }

  private:
    DriverLog& log_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool woken_ = false;
};

TEST(PortWorkerClose, TheDriverGetsAtMostTwoSecondsToSendWhatItHoldsThenItIsDiscarded) {
    struct Case {
        const char* what;
        std::chrono::milliseconds sendsWithin, closeAtLeast, closeAtMost;
    };
    const Case cases[] = {
        {"a driver that sends in 300 ms", 300ms, 250ms, 1s},
        {"a driver that never sends", 1h, PortWorker::kCloseDrain - 50ms, PortWorker::kCloseDrain + 500ms},
    };
    for (const Case& c : cases) {
        DriverLog log;
        auto worker = std::make_unique<PortWorker>(std::make_unique<SlowDevice>(log),
                                                   std::make_shared<EventQueue>(), WorkerOptions{});
        log.sentBy = Clock::now() + c.sendsWithin;
        const auto start = Clock::now();
        worker.reset();
        const auto took = Clock::now() - start;
        EXPECT_GE(took, c.closeAtLeast) << c.what;
        EXPECT_LE(took, c.closeAtMost) << c.what;
        EXPECT_TRUE(log.discarded) << c.what;
    }
}

// A device that says when it is closed, on whichever thread.
class ClosingDevice final : public SlowDevice {
  public:
    ClosingDevice(std::shared_ptr<DriverLog> log, std::shared_ptr<std::promise<void>> closed)
        : SlowDevice(*log), log_(std::move(log)), closed_(std::move(closed)) {}
    ~ClosingDevice() override { closed_->set_value(); }

  private:
    std::shared_ptr<DriverLog> log_;
    std::shared_ptr<std::promise<void>> closed_;
};

// An Open waits for the system only so long; a device that opens after that is closed, not kept or leaked.
TEST(OpenWithin, GivesUpOnAnOpenThatTakesTooLong) {
    struct Case {
        const char* what;
        std::chrono::milliseconds takes;
        bool opens, throws, given;
    };
    const Case cases[] = {
        {"opens at once", 0ms, true, false, true},
        {"refused at once", 0ms, false, false, false},
        {"throws", 0ms, false, true, false},
        {"opens too late", 600ms, true, false, false},
        {"refused too late", 600ms, false, false, false},
    };
    for (const Case& c : cases) {
        auto closed = std::make_shared<std::promise<void>>();
        std::future<void> closing = closed->get_future();
        const auto start = Clock::now();
        auto device = openWithin(150ms, [c, closed]() -> std::unique_ptr<PortDevice> {
            std::this_thread::sleep_for(c.takes);
            if (c.throws) throw std::runtime_error("no such port");
            if (!c.opens) return nullptr;
            return std::make_unique<ClosingDevice>(std::make_shared<DriverLog>(), closed);
        });
        EXPECT_LT(Clock::now() - start, 500ms) << c.what;
        EXPECT_EQ(device != nullptr, c.given) << c.what;
        device.reset();
        if (c.opens) {
            EXPECT_EQ(closing.wait_for(5s), std::future_status::ready) << c.what << ": never closed";
        }
    }
}

}  // namespace
}  // namespace tessary::link
