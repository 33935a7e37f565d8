// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SIGINT and SIGTERM end the console as its close button does: the signal only writes to a pipe, and
// the window thread, woken by the pipe, runs the given action.
#include <functional>
#include <memory>

class QSocketNotifier;

namespace tessary::qt {

class TerminationSignals {
  public:
    // Installs the handlers; the previous ones come back on destruction. Only one instance at a time.
    explicit TerminationSignals(std::function<void()> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;
    bool installed() const { return installed_; }

  private:
    std::function<void()> onSignal_;
    int readFd_ = -1;
    int writeFd_ = -1;
    bool installed_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

}  // namespace tessary::qt
