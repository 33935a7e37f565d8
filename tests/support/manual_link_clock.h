// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A link clock that stands still until the test moves it on; a wait on it ends when its condition holds or
// the clock is moved past its deadline, never by itself.
#include <atomic>
#include <mutex>

#include "link/link_clock.h"

namespace tessary::testing {

class ManualLinkClock final : public link::LinkClock {
  public:
    time_point now() const override { return time_point(std::chrono::nanoseconds(ticks_.load())); }

    bool waitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, time_point deadline,
                   const std::function<bool()>& done) const override {
        {
            std::lock_guard guard(waiterMutex_);
            waiter_ = {&cv, lock.mutex()};
        }
        cv.wait(lock, [&] { return done() || now() >= deadline; });
        std::lock_guard guard(waiterMutex_);
        waiter_ = {};
        return done();
    }

    // Any thread: moves the clock on and wakes a wait that is under way (whose condition variable and mutex
    // must outlive this call).
    void advance(std::chrono::nanoseconds by) {
        ticks_ += by.count();
        Waiter waiter;
        {
            std::lock_guard guard(waiterMutex_);
            waiter = waiter_;
        }
        if (!waiter.cv) return;
        // Taking the waiter's mutex first means it is either before its check of the time or inside its wait.
        { std::lock_guard waiting(*waiter.mutex); }
        waiter.cv->notify_all();
    }

  private:
    struct Waiter {
        std::condition_variable* cv = nullptr;
        std::mutex* mutex = nullptr;
    };
    std::atomic<long long> ticks_{0};
    mutable std::mutex waiterMutex_;
    mutable Waiter waiter_;
};

}  // namespace tessary::testing
