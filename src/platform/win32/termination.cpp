// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/termination.h"

#include <windows.h>

#include <mutex>
#include <thread>

namespace tessary::platform {

namespace {
// Windows ends the process when the handler of a closing console returns, and at the latest after 5 s.
constexpr DWORD kCloseWaitMs = 4500;

std::mutex g_mutex;
TerminationRequests::State* g_state = nullptr;

// Signalled once the program is done; made once, never closed, since a handler may still wait on it.
HANDLE doneEvent() {
    static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

BOOL WINAPI onConsoleEvent(DWORD type);
}  // namespace

struct TerminationRequests::State {
    std::function<void()> onRequest;
    bool installed = false;
};

namespace {
BOOL WINAPI onConsoleEvent(DWORD type) {
    {
        const std::lock_guard lock(g_mutex);
        if (!g_state) return FALSE;
        if (g_state->onRequest) g_state->onRequest();
    }
    if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(doneEvent(), kCloseWaitMs);
    return TRUE;
}
}  // namespace

TerminationRequests::TerminationRequests(std::function<void()> onRequest)
    : state_(std::make_unique<State>()) {
    state_->onRequest = std::move(onRequest);
    const std::lock_guard lock(g_mutex);
    if (g_state || !doneEvent()) return;
    if (!SetConsoleCtrlHandler(&onConsoleEvent, TRUE)) return;
    ResetEvent(doneEvent());
    g_state = state_.get();
    state_->installed = true;
}

TerminationRequests::~TerminationRequests() {
    if (!state_->installed) return;
    {
        const std::lock_guard lock(g_mutex);
        SetConsoleCtrlHandler(&onConsoleEvent, FALSE);
        g_state = nullptr;
    }
    SetEvent(doneEvent());
}

bool TerminationRequests::installed() const { return state_->installed; }

void raiseTerminationRequest() {
    // As Windows does: on a thread of its own.
    std::thread([] { onConsoleEvent(CTRL_BREAK_EVENT); }).detach();
}

}  // namespace tessary::platform
