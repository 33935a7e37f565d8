// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A pipe to oneself, the one thing a signal handler may safely do: the handler writes a byte (which
// signal, for example) and a thread waiting on the read end learns of it.
#include <optional>

#include "platform/unique_fd.h"

namespace tessary::platform {

class SelfPipe {
  public:
    // Both ends non-blocking and closed on exec; valid() is false when the pipe cannot be made.
    SelfPipe();
    bool valid() const { return readEnd_ && writeEnd_; }
    // For poll(): readable once a byte was written.
    int readFd() const { return readEnd_.get(); }
    // Async-signal-safe; keeps errno. A full pipe drops the byte (a wake-up is already pending).
    void notify(unsigned char byte) const;
    // The next byte written, if one is there; never blocks.
    std::optional<unsigned char> take() const;
    // Blocks until a byte is there (or the time is up: -1 waits without limit) and takes it.
    std::optional<unsigned char> wait(int timeoutMs) const;

  private:
    UniqueFd readEnd_;
    UniqueFd writeEnd_;
};

}  // namespace tessary::platform
