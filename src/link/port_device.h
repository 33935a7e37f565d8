// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One open serial device as the port worker drives it; each platform implements it (link/posix, link/win32).
// Every call but wake() comes from the worker thread, or from the thread that closes the port once the worker
// has ended. No call blocks for longer than the time it is given.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/queue_entry.h"

namespace tessary {
struct SerialSettings;
}

namespace tessary::link {

using PortSettings = SerialSettings;

class PortDevice {
  public:
    virtual ~PortDevice() = default;

    // Any thread: ends the worker's current wait().
    virtual void wake() = 0;

    // Discards what the driver holds in both directions and notes the line states as they are now.
    virtual void start() = 0;
    // Called by the worker before it ends: gives up the I/O it still has outstanding.
    virtual void finish() = 0;

    // Waits until bytes may have arrived (when `input`), the driver may take more of the write in progress
    // (when `output`), wake() was called, or timeoutMs passed (-1: no limit).
    virtual void wait(int timeoutMs, bool input, bool output) = 0;
    // Bytes that have arrived, without waiting, at most `size`; line-status codes found on the way (line
    // errors, break) go to `status`, to be raised before those bytes.
    virtual std::size_t read(std::uint8_t* buffer, std::size_t size, std::vector<QueueEntry>& status) = 0;
    // Gives up the device's own wait for input, so that read() returns everything received so far; the
    // purge that starts a write must not discard bytes on their way into a request.
    virtual void settleInput() = 0;
    // Whether the line states are worth sampling now and then (a pseudo-terminal has none).
    virtual bool watchesLines() const = 0;
    // Line-status codes of what changed since the last call: break, line errors, ring, CTS, DSR, carrier.
    virtual void lineEvents(std::vector<QueueEntry>& out) = 0;

    // Hands bytes to the driver without blocking: how many it took (0 while it has no room, or is still busy
    // with what it took before); nullopt when the write failed.
    virtual std::optional<std::size_t> write(const std::uint8_t* data, std::size_t count) = 0;
    // Bytes taken but not yet on the line (what the driver still holds, the transmitter's last character
    // included where the driver tells); nullopt when the device no longer answers.
    virtual std::optional<std::size_t> pendingOutput() = 0;
    // Throws away what was taken and not yet sent, and gives up a write in progress.
    virtual void discardOutput() = 0;
    // Discards what has arrived and not been read, and what is waiting to be sent.
    virtual void purge() = 0;

    // True once the device has vanished (adapter pulled out, far end of a pseudo-terminal closed).
    virtual bool gone() const = 0;
};

// Why a device did not open, as far as the system tells.
enum class OpenRefusal { None, NotThere, InUse, NoPermission, NotUsable };

// Opens the device at `path` exclusively and sets its line from the settings. nullptr when it does not exist,
// another program holds it, it is no serial port, or the settings cannot be expressed or are refused; then
// `refusal`, when given, says which.
std::unique_ptr<PortDevice> openPortDevice(const std::string& path, const PortSettings& settings,
                                           OpenRefusal* refusal = nullptr);

}  // namespace tessary::link
