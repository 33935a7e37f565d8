// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One open Windows communications device (\\.\COMn): exclusive overlapped open, the line settings record,
// reads and writes in overlapped requests, line states from the error and modem status.
#include <windows.h>

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "link/port_device.h"

namespace tessary::link {

// The errors with which a read, a write or a status query tells that the device has vanished: what drivers
// report for a pulled USB adapter, and what wine reports once the far end of its terminal has hung up.
// ERROR_OPERATION_ABORTED counts only where no cancel of ours caused it.
bool deviceLostError(DWORD error);

class CommDevice final : public PortDevice {
  public:
    // Opens the device for overlapped I/O, not shared; nullptr when it does not exist, is held by another
    // program, or is no character device.
    static std::unique_ptr<CommDevice> open(const std::wstring& path, OpenRefusal* refusal = nullptr);
    ~CommDevice() override;
    CommDevice(const CommDevice&) = delete;
    CommDevice& operator=(const CommDevice&) = delete;

    // Time-outs and the line settings record; false when the driver refuses or a DCB cannot hold them.
    bool configure(const PortSettings& settings);

    void wake() override;
    void start() override;
    void finish() override;
    void wait(int timeoutMs, bool input, bool output) override;
    std::size_t read(std::uint8_t* buffer, std::size_t size, std::vector<QueueEntry>& status) override;
    void settleInput() override;
    bool watchesLines() const override { return lines_.has_value(); }
    void lineEvents(std::vector<QueueEntry>& out) override;
    std::optional<std::size_t> write(const std::uint8_t* data, std::size_t count) override;
    std::optional<std::size_t> pendingOutput() override;
    void discardOutput() override;
    void purge() override;
    bool gone() const override { return gone_.load(); }

  private:
    // One overlapped request and its buffer. A request a driver never completes, even when cancelled, keeps
    // its record: it is then left allocated rather than freed under the driver.
    struct Request {
        Request();
        ~Request();
        OVERLAPPED overlapped{};
        std::array<std::uint8_t, 4096> data{};
        DWORD offset = 0, length = 0;  // the part of data the request covers
        DWORD done = 0;                // bytes the completed read brought, not yet taken
        bool pending = false;
    };

    CommDevice(HANDLE handle, HANDLE hold);
    void issueRead(DWORD count);
    // Collects a request's result without waiting; false when it failed.
    bool collect(Request& request);
    bool issueWrite();
    // Cancels a pending request and waits a bounded time for the driver to give it back; a read keeps what it
    // had received.
    void cancel(std::unique_ptr<Request>& request);
    void failed(DWORD error);
    bool queryStatus(std::vector<QueueEntry>* status, COMSTAT& stat);

    HANDLE handle_;
    HANDLE hold_;  // the port's name held for this console while it is open
    HANDLE wake_;
    std::unique_ptr<Request> read_, write_;
    DWORD chunk_ = 1024;
    bool parityCheck_ = false;
    std::optional<DWORD> lines_;  // the modem status last seen, when the driver has one
    std::atomic<bool> gone_{false};
};

}  // namespace tessary::link
