// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Requests from outside to end the console (SIGINT and SIGTERM; on Windows its console's Ctrl+C, Ctrl+Break
// and close) end it as its close button does: the window thread runs the given action.
#include <QObject>
#include <functional>
#include <memory>

#include "platform/termination.h"

namespace tessary::qt {

class TerminationRequests {
  public:
    // Installs the handling; the previous one comes back on destruction. Only one instance at a time.
    explicit TerminationRequests(std::function<void()> onRequest);
    ~TerminationRequests();
    TerminationRequests(const TerminationRequests&) = delete;
    TerminationRequests& operator=(const TerminationRequests&) = delete;
    bool installed() const { return requests_->installed(); }

  private:
    std::function<void()> onRequest_;
    // The window thread's end of the requests; requests still queued for it die with it.
    std::unique_ptr<QObject> receiver_;
    // Destroyed first: no request is handed on once the receiver is gone.
    std::unique_ptr<platform::TerminationRequests> requests_;
};

}  // namespace tessary::qt
