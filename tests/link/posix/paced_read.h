// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The machine's end of a line that carries only so many bytes a second: it takes what the port sent in small
// pieces, never ahead of the rate, as a UART hands them on. Shared by the Linux fixture and the wine relay.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

namespace tessary::test {

// Bytes from `fd` until `count` arrived or nothing came for `quietMs`, at most `bytesPerSecond`.
inline std::vector<std::uint8_t> pacedRead(int fd, std::size_t count, int bytesPerSecond, int quietMs) {
    constexpr std::size_t kPiece = 32;
    std::vector<std::uint8_t> out;
    const auto start = std::chrono::steady_clock::now();
    std::uint8_t buffer[kPiece];
    while (fd >= 0 && out.size() < count) {
        // The line has carried `out.size()` bytes by this time.
        std::this_thread::sleep_until(start +
                                      std::chrono::microseconds(static_cast<long long>(out.size()) * 1000000 /
                                                                std::max(bytesPerSecond, 1)));
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, quietMs) <= 0) break;
        const ssize_t n = ::read(fd, buffer, std::min(kPiece, count - out.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

}  // namespace tessary::test
