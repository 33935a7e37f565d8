// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One open Linux terminal device: exclusive open, line settings, purge, line-state queries.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "link/port_settings.h"

namespace tessary::link {

// Line events counted by the driver since it was loaded (not every driver keeps them).
struct LineCounters {
    std::uint32_t cts = 0, dsr = 0, rng = 0, dcd = 0;
    std::uint32_t frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
};

struct ModemLines {
    bool cts = false, dsr = false, dcd = false, ri = false;
    bool operator==(const ModemLines&) const = default;
};

// The termios fields a port's settings decide, as the kernel's flag values.
struct LineFlags {
    std::uint32_t iflag = 0, oflag = 0, cflag = 0, lflag = 0;
    std::uint8_t vmin = 0, vtime = 0, vstart = 0, vstop = 0;
    std::uint32_t speed = 0;  // both directions
};

// The current flags changed as the settings ask (raw 8-bit line, everything else kept); nullopt when Linux
// cannot express them: one and a half stop bits with other than 5 data bits, data bits outside 5..8,
// DSR-watched output or DTR handshaking (flow control 2, 3, 4), baud rate 0.
std::optional<LineFlags> lineFlags(LineFlags current, const PortSettings& settings);

class TtyDevice {
  public:
    // Opens for reading and writing, non-blocking, exclusively (flock plus TIOCEXCL). On failure returns
    // nullptr and leaves the cause in errorNumber (ENOTTY for something that is not a terminal,
    // EBUSY when another program holds the port).
    static std::unique_ptr<TtyDevice> open(const std::string& path, int& errorNumber);
    ~TtyDevice();
    TtyDevice(const TtyDevice&) = delete;
    TtyDevice& operator=(const TtyDevice&) = delete;

    int fd() const { return fd_; }

    // Applies lineFlags() and the RTS and DTR rules; false when the driver refuses or Linux cannot express
    // them.
    bool configure(const PortSettings& settings);

    // Discards both directions of the driver's buffers.
    void purge();
    // Bytes written but not yet sent; 0 when the driver cannot tell.
    std::size_t outputQueued() const;
    // Waits until the driver has sent everything (the transmitter's FIFO included).
    bool drain();

    std::optional<LineCounters> counters() const;
    std::optional<ModemLines> modemLines() const;

  private:
    explicit TtyDevice(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace tessary::link
