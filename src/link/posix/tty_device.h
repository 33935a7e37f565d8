// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One open Linux terminal device: exclusive open, line settings, non-blocking I/O woken through an eventfd,
// line states from the driver's counters or its modem lines.
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "link/port_device.h"

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

class TtyDevice final : public PortDevice {
  public:
    // Opens for reading and writing, non-blocking, exclusively (flock plus TIOCEXCL). On failure returns
    // nullptr and leaves the cause in errorNumber (ENOTTY for something that is not a terminal,
    // EBUSY when another program holds the port).
    static std::unique_ptr<TtyDevice> open(const std::string& path, int& errorNumber);
    ~TtyDevice() override;
    TtyDevice(const TtyDevice&) = delete;
    TtyDevice& operator=(const TtyDevice&) = delete;

    // Applies lineFlags() and the RTS and DTR rules; false when the driver refuses or Linux cannot express
    // them.
    bool configure(const PortSettings& settings);

    void wake() override;
    void start() override;
    void finish() override {}
    void wait(int timeoutMs, bool input, bool output) override;
    std::size_t read(std::uint8_t* buffer, std::size_t size, std::vector<QueueEntry>& status) override;
    void settleInput() override {}
    bool watchesLines() const override { return counters_ || lines_; }
    void lineEvents(std::vector<QueueEntry>& out) override;
    std::optional<std::size_t> write(const std::uint8_t* data, std::size_t count) override;
    std::optional<std::size_t> pendingOutput() override;
    void discardOutput() override;
    void purge() override;
    bool gone() const override { return gone_.load(); }

  private:
    TtyDevice(int fd, int wakeFd) : fd_(fd), wakeFd_(wakeFd) {}
    std::optional<LineCounters> counters() const;
    std::optional<ModemLines> modemLines() const;

    int fd_;
    int wakeFd_;
    bool parityCheck_ = false;
    std::atomic<bool> gone_{false};
    std::optional<LineCounters> counters_;
    std::optional<ModemLines> lines_;
};

}  // namespace tessary::link
