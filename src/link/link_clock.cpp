// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/link_clock.h"

namespace tessary::link {
namespace {

class SteadyLinkClock final : public LinkClock {
  public:
    time_point now() const override { return std::chrono::steady_clock::now(); }
    bool waitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, time_point deadline,
                   const std::function<bool()>& done) const override {
        return cv.wait_until(lock, deadline, done);
    }
};

}  // namespace

const LinkClock& steadyLinkClock() {
    static const SteadyLinkClock clock;
    return clock;
}

}  // namespace tessary::link
