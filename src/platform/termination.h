// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Requests from outside to end the program, as its close button would: SIGINT and SIGTERM on POSIX systems;
// Ctrl+C, Ctrl+Break and the closing of its console on Windows (a window's WM_CLOSE and the end of the
// Windows session reach the windows themselves).
#include <functional>
#include <memory>

namespace tessary::platform {

class TerminationRequests {
  public:
    // Installs the handling; the previous one comes back on destruction. onRequest runs on a thread of its
    // own, once per request, and should only hand the request on to the window thread. On Windows a closing
    // console waits (up to a few seconds) for this object's destruction, so the program can end cleanly.
    // Only one instance at a time: a second one installs nothing.
    explicit TerminationRequests(std::function<void()> onRequest);
    ~TerminationRequests();
    TerminationRequests(const TerminationRequests&) = delete;
    TerminationRequests& operator=(const TerminationRequests&) = delete;
    bool installed() const;

    struct State;

  private:
    std::unique_ptr<State> state_;
};

// Delivers a request as the system would (SIGTERM; on Windows a Ctrl+Break event).
void raiseTerminationRequest();

}  // namespace tessary::platform
