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
#include "support/manual_link_clock.h"

namespace tessary::link {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct DriverLog {
    testing::ManualLinkClock clock;  // moved on by the device's timed waits, as the driver's time passes
    Clock::time_point sentBy;        // when the driver has sent everything it took
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
        else if (!woken_)
            log_.clock.advance(std::chrono::milliseconds(timeoutMs));
        woken_ = false;
    }
    std::size_t read(std::uint8_t*, std::size_t, std::vector<QueueEntry>&) override { return 0; }
    void settleInput() override {}
    bool watchesLines() const override { return false; }
    void lineEvents(std::vector<QueueEntry>&) override {}
    std::optional<std::size_t> write(const std::uint8_t*, std::size_t count) override { return count; }
    std::optional<std::size_t> pendingOutput() override {
        return log_.discarded || log_.clock.now() >= log_.sentBy ? 0 : 100;
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
        std::chrono::milliseconds sendsWithin, closeTakes;
    };
    const Case cases[] = {
        {"a driver that sends in 300 ms", 300ms, 300ms},
        {"a driver that never sends", 1h, PortWorker::kCloseDrain},
    };
    for (const Case& c : cases) {
        DriverLog log;
        WorkerOptions options;
        options.clock = &log.clock;
        auto worker = std::make_unique<PortWorker>(std::make_unique<SlowDevice>(log),
                                                   std::make_shared<EventQueue>(), options);
        log.sentBy = log.clock.now() + c.sendsWithin;
        const auto start = log.clock.now();
        worker.reset();
        EXPECT_EQ(log.clock.now() - start, c.closeTakes) << c.what << ", by the driver's time";
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
        // A late opening goes on only once the wait has given up on it.
        auto gaveUp = std::make_shared<std::promise<void>>();
        testing::ManualLinkClock clock;
        auto device = openWithin(
            150ms,
            [c, closed, &clock, late = gaveUp->get_future().share()]() -> std::unique_ptr<PortDevice> {
                if (c.takes > 150ms) {
                    clock.advance(c.takes);
                    late.wait();
                }
                if (c.throws) throw std::runtime_error("no such port");
                if (!c.opens) return nullptr;
                return std::make_unique<ClosingDevice>(std::make_shared<DriverLog>(), closed);
            },
            clock);
        gaveUp->set_value();
        EXPECT_EQ(device != nullptr, c.given) << c.what;
        device.reset();
        if (c.opens) {
            EXPECT_EQ(closing.wait_for(5s), std::future_status::ready) << c.what << ": never closed";
        }
    }
}

}  // namespace
}  // namespace tessary::link
