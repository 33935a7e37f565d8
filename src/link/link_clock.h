// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The time the link's own waits run on: the steady clock, or one that a test moves on.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace tessary::link {

class LinkClock {
  public:
    using time_point = std::chrono::steady_clock::time_point;
    virtual ~LinkClock() = default;
    virtual time_point now() const = 0;
    // Waits on `cv` (its mutex held by `lock`) until `done` holds or this clock reaches `deadline`; the
    // result is done().
    virtual bool waitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                           time_point deadline, const std::function<bool()>& done) const = 0;
};

const LinkClock& steadyLinkClock();

}  // namespace tessary::link
