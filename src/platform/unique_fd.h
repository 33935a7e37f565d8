// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Owns a file descriptor of the C runtime: a POSIX descriptor, or on Windows one over a file handle.
#include <unistd.h>

#include <utility>

namespace tessary::platform {

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Gives up ownership without closing.
    int release() { return std::exchange(fd_, -1); }
    // Closes the descriptor; false when close reports an error (a write that did not reach the file).
    bool reset() {
        if (fd_ < 0) return true;
        return ::close(std::exchange(fd_, -1)) == 0;
    }
    // Closes the descriptor held and takes another.
    void reset(int fd) {
        reset();
        fd_ = fd;
    }

  private:
    int fd_ = -1;
};

}  // namespace tessary::platform
