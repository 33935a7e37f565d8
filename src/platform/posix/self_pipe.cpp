// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/self_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace tessary::platform {

SelfPipe::SelfPipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
    readEnd_.reset(ends[0]);
    writeEnd_.reset(ends[1]);
}

void SelfPipe::notify(unsigned char byte) const {
    const int saved = errno;
    [[maybe_unused]] const ssize_t n = ::write(writeEnd_.get(), &byte, 1);
    errno = saved;
}

std::optional<unsigned char> SelfPipe::take() const {
    unsigned char byte = 0;
    for (;;) {
        const ssize_t n = ::read(readEnd_.get(), &byte, 1);
        if (n == 1) return byte;
        if (n < 0 && errno == EINTR) continue;
        return std::nullopt;
    }
}

std::optional<unsigned char> SelfPipe::wait(int timeoutMs) const {
    pollfd fd{readEnd_.get(), POLLIN, 0};
    for (;;) {
        const int n = ::poll(&fd, 1, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        if (const auto byte = take()) return byte;
    }
}

}  // namespace tessary::platform
