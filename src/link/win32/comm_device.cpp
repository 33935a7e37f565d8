// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/win32/comm_device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>

#include "link/open_within.h"
#include "link/win32/dcb_fields.h"

namespace tessary::link {
namespace {

// A driver gets this long to give back a cancelled request.
constexpr DWORD kCancelWaitMs = 1000;
// How long a read waits for bytes the driver already holds.
constexpr DWORD kQueuedReadWaitMs = 100;
// A write request covers about a quarter of a second of the line, so that its completion shows progress.
constexpr DWORD kRequestsPerSecond = 4;

QueueEntry status(std::uint8_t code) { return {QueueEntry::Type::LineStatus, code}; }

std::wstring widen(const std::string& text) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// Windows refuses a second open of a COM port by itself; wine does not, so the port is also held in a named
// object that every console on this desktop sees. It is named for the device's own path where the system
// tells it (wine: the terminal behind the port), so that two names of one device are one port.
HANDLE holdPort(HANDLE handle, const std::wstring& path) {
    std::wstring device(MAX_PATH, L'\0');
    const DWORD n = ::GetFinalPathNameByHandleW(handle, device.data(), MAX_PATH, FILE_NAME_NORMALIZED);
    device.resize(n > 0 && n < MAX_PATH ? n : 0);
    std::wstring key;
    for (wchar_t c : device.empty() ? path : device)
        key += c == L'\\' ? L'_' : static_cast<wchar_t>(std::towupper(c));
    HANDLE hold = ::CreateMutexW(nullptr, FALSE, (L"Local\\tessary-serial-" + key).c_str());
    if (hold && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(hold);
        return nullptr;
    }
    return hold;
}

}  // namespace

bool deviceLostError(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_BAD_COMMAND:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_GEN_FAILURE:
        case ERROR_OPERATION_ABORTED:
        case ERROR_BROKEN_PIPE:
        case ERROR_NOT_READY:
            return true;
        default:
            return false;
    }
}

namespace {

// Whether a port is a Bluetooth link, whose open calls the paired device and can take the system many
// seconds: the system's name for the device behind it ("\\.\COM5" → \Device\BthModem0).
bool bluetoothLink(const std::wstring& path) {
    const std::wstring prefix = L"\\\\.\\";
    if (path.compare(0, prefix.size(), prefix) != 0) return false;
    wchar_t target[1024] = {};
    return ::QueryDosDeviceW(path.substr(prefix.size()).c_str(), target, 1024) != 0 &&
           _wcsnicmp(target, L"\\Device\\Bth", 11) == 0;
}

std::unique_ptr<PortDevice> openDevice(const std::wstring& path, const PortSettings& settings,
                                       OpenRefusal* refusal) {
    auto device = CommDevice::open(path, refusal);
    if (!device) return nullptr;
    if (!device->configure(settings)) {
        if (refusal) *refusal = OpenRefusal::NotUsable;
        return nullptr;
    }
    device->purge();
    return device;
}

}  // namespace

std::unique_ptr<PortDevice> openPortDevice(const std::string& path, const PortSettings& settings,
                                           OpenRefusal* refusal) {
    const std::wstring wide = widen(path);
    // The window waits for a Bluetooth link only so long; other ports open or fail at once.
    if (bluetoothLink(wide)) {
        if (refusal) *refusal = OpenRefusal::NotUsable;
        return openWithin(kOpenLimit, [wide, settings] { return openDevice(wide, settings, nullptr); });
    }
    return openDevice(wide, settings, refusal);
}

CommDevice::Request::Request() { overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }

CommDevice::Request::~Request() {
    if (overlapped.hEvent) ::CloseHandle(overlapped.hEvent);
}

std::unique_ptr<CommDevice> CommDevice::open(const std::wstring& path, OpenRefusal* refusal) {
    const auto refuse = [refusal](OpenRefusal why) {
        if (refusal) *refusal = why;
        return nullptr;
    };
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        switch (::GetLastError()) {
            // A COM port that another program holds answers "access denied".
            case ERROR_ACCESS_DENIED:
            case ERROR_SHARING_VIOLATION:
                return refuse(OpenRefusal::InUse);
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
                return refuse(OpenRefusal::NotThere);
            default:
                return refuse(OpenRefusal::NotUsable);
        }
    }
    if (::GetFileType(handle) != FILE_TYPE_CHAR) {
        ::CloseHandle(handle);
        return refuse(OpenRefusal::NotUsable);
    }
    HANDLE hold = holdPort(handle, path);
    if (!hold) {
        ::CloseHandle(handle);
        return refuse(OpenRefusal::InUse);
    }
    if (refusal) *refusal = OpenRefusal::None;
    std::unique_ptr<CommDevice> device(new CommDevice(handle, hold));
    if (!device->wake_ || !device->read_->overlapped.hEvent || !device->write_->overlapped.hEvent)
        return nullptr;
    return device;
}

CommDevice::CommDevice(HANDLE handle, HANDLE hold)
    : handle_(handle),
      hold_(hold),
      wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      read_(std::make_unique<Request>()),
      write_(std::make_unique<Request>()) {}

CommDevice::~CommDevice() {
    cancel(read_);
    cancel(write_);
    ::CloseHandle(handle_);
    ::CloseHandle(hold_);
    if (wake_) ::CloseHandle(wake_);
}

bool CommDevice::configure(const PortSettings& s) {
    // Reads return as soon as a byte has come, or after the time-out with none; writes may take the unit's
    // time-out per byte, the stall rule of the port worker ends them sooner.
    const DWORD timeout = static_cast<DWORD>(std::max(s.timeout, 0));
    COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, std::clamp<DWORD>(timeout, 1, MAXDWORD - 1), timeout, timeout};
    if (!::SetCommTimeouts(handle_, &timeouts)) return false;

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle_, &dcb)) return false;
    DcbFields current{dcb.BaudRate,
                      dcb.ByteSize,
                      dcb.Parity,
                      dcb.StopBits,
                      dcb.fBinary != 0,
                      dcb.fParity != 0,
                      dcb.fOutxCtsFlow != 0,
                      dcb.fOutxDsrFlow != 0,
                      dcb.fDsrSensitivity != 0,
                      dcb.fOutX != 0,
                      dcb.fInX != 0,
                      static_cast<std::uint8_t>(dcb.fDtrControl),
                      static_cast<std::uint8_t>(dcb.fRtsControl),
                      static_cast<std::uint8_t>(dcb.XonChar),
                      static_cast<std::uint8_t>(dcb.XoffChar),
                      static_cast<std::uint8_t>(dcb.EvtChar),
                      dcb.XonLim,
                      dcb.XoffLim};
    const auto wanted = dcbFields(current, s);
    if (!wanted) return false;
    dcb.BaudRate = wanted->baudRate;
    dcb.ByteSize = wanted->byteSize;
    dcb.Parity = wanted->parity;
    dcb.StopBits = wanted->stopBits;
    dcb.fBinary = wanted->binary;
    dcb.fParity = wanted->parityCheck;
    dcb.fOutxCtsFlow = wanted->outxCtsFlow;
    dcb.fOutxDsrFlow = wanted->outxDsrFlow;
    dcb.fDsrSensitivity = wanted->dsrSensitivity;
    dcb.fOutX = wanted->outX;
    dcb.fInX = wanted->inX;
    dcb.fDtrControl = wanted->dtrControl;
    dcb.fRtsControl = wanted->rtsControl;
    dcb.XonChar = static_cast<char>(wanted->xonChar);
    dcb.XoffChar = static_cast<char>(wanted->xoffChar);
    dcb.EvtChar = static_cast<char>(wanted->evtChar);
    dcb.XonLim = wanted->xonLim;
    dcb.XoffLim = wanted->xoffLim;
    if (!::SetCommState(handle_, &dcb)) return false;

    parityCheck_ = s.parityCheck;
    chunk_ = std::clamp<DWORD>(wanted->baudRate / 10 / kRequestsPerSecond, 64,
                               static_cast<DWORD>(write_->data.size()));
    return true;
}

void CommDevice::wake() { ::SetEvent(wake_); }

void CommDevice::start() {
    purge();
    DWORD modem = 0;
    if (::GetCommModemStatus(handle_, &modem)) lines_ = modem;
}

void CommDevice::finish() {
    cancel(read_);
    cancel(write_);
}

// The worker keeps one read of one byte outstanding instead of waiting for line events: WaitCommEvent
// completes at once with ERROR_OPERATION_ABORTED under wine and misbehaves with some USB drivers, while a
// read whose time-outs return on the first byte works with every driver. Line errors and breaks come from the
// error status, modem lines from the modem status.
void CommDevice::wait(int timeoutMs, bool input, bool output) {
    if (input && !gone() && !read_->pending && read_->done == 0) issueRead(1);
    if (input && !read_->pending && read_->done > 0) return;
    HANDLE handles[3] = {wake_};
    DWORD count = 1;
    if (input && read_->pending) handles[count++] = read_->overlapped.hEvent;
    if (output && write_->pending) handles[count++] = write_->overlapped.hEvent;
    ::WaitForMultipleObjects(count, handles, FALSE, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
}

void CommDevice::issueRead(DWORD count) {
    Request& r = *read_;
    r.offset = 0;
    r.length = std::min<DWORD>(count, static_cast<DWORD>(r.data.size()));
    r.done = 0;
    ::ResetEvent(r.overlapped.hEvent);
    DWORD got = 0;
    if (::ReadFile(handle_, r.data.data(), r.length, &got, &r.overlapped)) {
        r.done = got;
        return;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_IO_PENDING)
        r.pending = true;
    else
        failed(error);
}

bool CommDevice::collect(Request& r) {
    if (!r.pending) return true;
    DWORD transferred = 0;
    if (::GetOverlappedResult(handle_, &r.overlapped, &transferred, FALSE)) {
        r.pending = false;
        r.done = transferred;
        return true;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_IO_INCOMPLETE) return true;
    r.pending = false;
    r.done = 0;
    failed(error);
    return false;
}

void CommDevice::failed(DWORD error) {
    if (deviceLostError(error)) {
        gone_ = true;
        return;
    }
    // An error that may pass: try again a little later, never in a tight loop.
    ::Sleep(50);
}

bool CommDevice::queryStatus(std::vector<QueueEntry>* status, COMSTAT& stat) {
    DWORD errors = 0;
    if (!::ClearCommError(handle_, &errors, &stat)) {
        failed(::GetLastError());
        return false;
    }
    if (status) {
        if (errors & CE_BREAK) status->push_back(link::status(1));
        if (errors & (CE_FRAME | CE_OVERRUN | CE_RXOVER) || (parityCheck_ && (errors & CE_RXPARITY)))
            status->push_back(link::status(4));
    }
    return true;
}

void CommDevice::settleInput() { cancel(read_); }

std::size_t CommDevice::read(std::uint8_t* buffer, std::size_t size, std::vector<QueueEntry>& status) {
    if (gone() || !collect(*read_)) return 0;
    if (read_->pending) {
        // Bytes the driver holds complete the outstanding read at once; under wine a moment later.
        COMSTAT stat{};
        if (!queryStatus(&status, stat) || stat.cbInQue == 0) return 0;
        ::WaitForSingleObject(read_->overlapped.hEvent, kQueuedReadWaitMs);
        if (!collect(*read_) || read_->pending) return 0;
    }
    std::size_t n = 0;
    const auto take = [&] {
        const std::size_t k = std::min<std::size_t>(read_->done, size - n);
        std::memcpy(buffer + n, read_->data.data(), k);
        std::memmove(read_->data.data(), read_->data.data() + k, read_->done - k);
        read_->done -= static_cast<DWORD>(k);
        n += k;
    };
    take();
    COMSTAT stat{};
    if (n < size && read_->done == 0 && queryStatus(&status, stat) && stat.cbInQue > 0) {
        // Bytes already queued complete a read of that many at once (wine answers a moment later).
        issueRead(static_cast<DWORD>(std::min<std::size_t>(stat.cbInQue, size - n)));
        if (read_->pending) ::WaitForSingleObject(read_->overlapped.hEvent, kQueuedReadWaitMs);
        if (collect(*read_) && !read_->pending) take();
    }
    return n;
}

void CommDevice::lineEvents(std::vector<QueueEntry>& out) {
    COMSTAT stat{};
    if (!queryStatus(&out, stat) || !lines_) return;
    DWORD now = 0;
    if (!::GetCommModemStatus(handle_, &now)) return;
    const DWORD was = *lines_;
    const auto changed = [&](DWORD bit) { return (now & bit) != (was & bit); };
    if ((now & MS_RING_ON) && !(was & MS_RING_ON)) out.push_back(status(5));
    if (changed(MS_CTS_ON)) out.push_back(status(now & MS_CTS_ON ? 2 : 8));
    if (changed(MS_DSR_ON)) out.push_back(status(now & MS_DSR_ON ? 3 : 9));
    if (changed(MS_RLSD_ON)) out.push_back(status(now & MS_RLSD_ON ? 6 : 10));
    lines_ = now;
}

bool CommDevice::issueWrite() {
    Request& w = *write_;
    ::ResetEvent(w.overlapped.hEvent);
    for (;;) {
        DWORD written = 0;
        if (!::WriteFile(handle_, w.data.data() + w.offset, w.length - w.offset, &written, &w.overlapped)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_IO_PENDING) {
                w.pending = true;
                return true;
            }
            failed(error);
            return false;
        }
        // A write that the line's time-out ended early goes on with what is left.
        w.offset += written;
        if (w.offset >= w.length || written == 0) return true;
    }
}

std::optional<std::size_t> CommDevice::write(const std::uint8_t* data, std::size_t count) {
    if (gone() || !collect(*write_)) return std::nullopt;
    Request& w = *write_;
    if (w.pending) return 0;
    if (w.offset + w.done < w.length) {
        w.offset += w.done;
        w.done = 0;
        if (!issueWrite()) return std::nullopt;
        return 0;
    }
    w.offset = 0;
    w.done = 0;
    w.length = static_cast<DWORD>(std::min<std::size_t>(count, chunk_));
    std::memcpy(w.data.data(), data, w.length);
    if (!issueWrite()) return std::nullopt;
    return w.length;
}

std::optional<std::size_t> CommDevice::pendingOutput() {
    if (gone() || !collect(*write_)) return std::nullopt;
    Request& w = *write_;
    if (!w.pending && w.offset + w.done < w.length) {
        w.offset += w.done;
        w.done = 0;
        if (!issueWrite()) return std::nullopt;
    }
    COMSTAT stat{};
    if (!queryStatus(nullptr, stat)) return std::nullopt;
    const std::size_t inFlight = w.pending || w.offset + w.done < w.length ? w.length - w.offset : 0;
    return inFlight + stat.cbOutQue;
}

void CommDevice::discardOutput() {
    const bool writing = write_->pending;
    cancel(write_);
    write_->offset = write_->length = write_->done = 0;
    // Only what this side has not sent: wine's purge of a pseudo-terminal also takes what the far end has not
    // read yet.
    COMSTAT stat{};
    if (writing || (queryStatus(nullptr, stat) && stat.cbOutQue > 0))
        ::PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
}

void CommDevice::purge() {
    // Not PURGE_RXABORT: the worker's own outstanding read stays.
    ::PurgeComm(handle_, PURGE_RXCLEAR);
    discardOutput();
}

void CommDevice::cancel(std::unique_ptr<Request>& request) {
    if (!request || !request->pending) return;
    ::CancelIoEx(handle_, &request->overlapped);
    DWORD transferred = 0;
    if (::WaitForSingleObject(request->overlapped.hEvent, kCancelWaitMs) == WAIT_OBJECT_0) {
        request->done =
            ::GetOverlappedResult(handle_, &request->overlapped, &transferred, FALSE) ? transferred : 0;
        request->pending = false;
        return;
    }
    // The driver keeps the request: its record must outlive it, and the device is of no further use.
    std::fprintf(stderr, "tessary: the serial driver does not give back a cancelled request\n");
    static_cast<void>(request.release());
    request = std::make_unique<Request>();
    gone_ = true;
}

}  // namespace tessary::link
