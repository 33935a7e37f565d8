// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/open_within.h"

#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace tessary::link {
namespace {

// Shared by the waiting thread and the opening one, which may outlive the wait.
struct Opening {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool abandoned = false;
    std::unique_ptr<PortDevice> device;
};

}  // namespace

std::unique_ptr<PortDevice> openWithin(std::chrono::milliseconds limit,
                                       std::function<std::unique_ptr<PortDevice>()> open,
                                       const LinkClock& clock) {
    const auto deadline = clock.now() + limit;
    auto opening = std::make_shared<Opening>();
    try {
        std::thread([opening, open = std::move(open)] {
            std::unique_ptr<PortDevice> device;
            try {
                device = open();
            } catch (const std::exception& e) {
                std::fprintf(stderr, "tessary: opening the port failed: %s\n", e.what());
            }
            std::unique_lock lock(opening->mutex);
            if (opening->abandoned) {
                lock.unlock();
                return;  // the device, if it opened after all, is closed here
            }
            opening->device = std::move(device);
            opening->done = true;
            opening->ended.notify_all();
        }).detach();
    } catch (const std::system_error& e) {
        std::fprintf(stderr, "tessary: cannot open the port: %s\n", e.what());
        return nullptr;
    }
    std::unique_lock lock(opening->mutex);
    if (!clock.waitUntil(opening->ended, lock, deadline, [&] { return opening->done; })) {
        opening->abandoned = true;
        std::fprintf(stderr, "tessary: the port did not open within %lld ms\n",
                     static_cast<long long>(limit.count()));
        return nullptr;
    }
    return std::move(opening->device);
}

}  // namespace tessary::link
