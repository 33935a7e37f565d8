// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/termination.h"

#include <atomic>
#include <csignal>
#include <thread>

#include "platform/posix/self_pipe.h"

namespace tessary::platform {

namespace {
constexpr unsigned char kRequest = 1;
constexpr unsigned char kEnd = 0;
// The watcher looks at the end flag at least this often, should the end byte find the pipe full.
constexpr int kWatchMs = 250;

std::atomic<const SelfPipe*> g_pipe{nullptr};

extern "C" void onTerminationSignal(int) {
    if (const SelfPipe* pipe = g_pipe.load()) pipe->notify(kRequest);
}
}  // namespace

struct TerminationRequests::State {
    std::function<void()> onRequest;
    SelfPipe pipe;
    std::thread watcher;
    std::atomic<bool> ending{false};
    struct sigaction interrupt {};
    struct sigaction terminate {};
    bool installed = false;
};

TerminationRequests::TerminationRequests(std::function<void()> onRequest)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.onRequest = std::move(onRequest);
    const SelfPipe* none = nullptr;
    if (!s.pipe.valid() || !g_pipe.compare_exchange_strong(none, &s.pipe)) return;
    s.watcher = std::thread([&s] {
        while (!s.ending.load()) {
            const auto byte = s.pipe.wait(kWatchMs);
            if (byte == kRequest && !s.ending.load() && s.onRequest) s.onRequest();
        }
    });
    struct sigaction action {};
    action.sa_handler = &onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &s.interrupt);
    ::sigaction(SIGTERM, &action, &s.terminate);
    s.installed = true;
}

TerminationRequests::~TerminationRequests() {
    State& s = *state_;
    if (!s.installed) return;
    ::sigaction(SIGINT, &s.interrupt, nullptr);
    ::sigaction(SIGTERM, &s.terminate, nullptr);
    g_pipe.store(nullptr);
    s.ending.store(true);
    s.pipe.notify(kEnd);
    s.watcher.join();
}

bool TerminationRequests::installed() const { return state_->installed; }

void raiseTerminationRequest() { std::raise(SIGTERM); }

}  // namespace tessary::platform
