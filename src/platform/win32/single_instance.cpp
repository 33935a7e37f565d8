// SPDX-License-Identifier: GPL-3.0-or-later
// The first console holds a named pipe of this user's session; a later start connects to it. The first may
// bring its window to the front because the later start, which the user just started, allows it.
#include "platform/single_instance.h"

#include <windows.h>

#include <thread>

#include "platform/instance_message.h"
#include "platform/win32/wide.h"

namespace tessary::platform {
namespace {

using win32::textFromWide;
using win32::UniqueHandle;
using win32::wideFromText;

constexpr DWORD kAnswerLimitMs = 3000;
constexpr DWORD kMessageLimitMs = 1000;

std::wstring pipeName(const std::string& key) {
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    wchar_t user[256] = {};
    DWORD size = 256;
    if (!::GetUserNameW(user, &size)) user[0] = 0;
    std::wstring name = L"\\\\.\\pipe\\tessary-" + std::to_wstring(session) + L"-" + user + L"-";
    for (const wchar_t c : wideFromText(key)) name += (c == L'\\' || c < 32) ? L'_' : c;
    return name.substr(0, 240);
}

// One overlapped transfer on `handle`, given up after `limitMs`.
bool transfer(HANDLE handle, bool writing, void* data, DWORD size, DWORD limitMs, DWORD& done) {
    UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event) return false;
    OVERLAPPED o{};
    o.hEvent = event.get();
    const BOOL ok =
        writing ? ::WriteFile(handle, data, size, nullptr, &o) : ::ReadFile(handle, data, size, nullptr, &o);
    if (!ok && ::GetLastError() != ERROR_IO_PENDING && ::GetLastError() != ERROR_MORE_DATA) return false;
    if (::WaitForSingleObject(o.hEvent, limitMs) != WAIT_OBJECT_0) {
        ::CancelIoEx(handle, &o);
        ::GetOverlappedResult(handle, &o, &done, TRUE);
        return false;
    }
    return ::GetOverlappedResult(handle, &o, &done, FALSE) || ::GetLastError() == ERROR_MORE_DATA;
}

bool sendAll(HANDLE handle, std::string text, DWORD limitMs) {
    std::size_t offset = 0;
    while (offset < text.size()) {
        DWORD done = 0;
        if (!transfer(handle, true, text.data() + offset, static_cast<DWORD>(text.size() - offset), limitMs,
                      done) ||
            done == 0)
            return false;
        offset += done;
    }
    return true;
}

template <typename Enough>
std::string receiveUntil(HANDLE handle, DWORD limitMs, Enough enough) {
    std::string text;
    char buffer[4096];
    const ULONGLONG until = ::GetTickCount64() + limitMs;
    while (!enough(text)) {
        const ULONGLONG now = ::GetTickCount64();
        DWORD done = 0;
        if (now >= until ||
            !transfer(handle, false, buffer, sizeof buffer, static_cast<DWORD>(until - now), done) ||
            done == 0)
            break;
        text.append(buffer, done);
    }
    return text;
}

bool handOver(const std::wstring& name, const std::string& file) {
    if (!::WaitNamedPipeW(name.c_str(), kAnswerLimitMs)) return false;
    UniqueHandle pipe(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr));
    if (!pipe) return false;
    // The first console may come to the front: this start is what the user just did.
    ::AllowSetForegroundWindow(ASFW_ANY);
    if (!sendAll(pipe.get(), instanceMessage(file), kAnswerLimitMs)) return false;
    const std::string answer = receiveUntil(
        pipe.get(), kAnswerLimitMs, [](const std::string& t) { return t.size() >= kInstanceAnswer.size(); });
    return answer == kInstanceAnswer;
}

HANDLE newPipe(const std::wstring& name, bool first) {
    const HANDLE pipe = ::CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 4096, 4096, 0,
        nullptr);
    return pipe == INVALID_HANDLE_VALUE ? nullptr : pipe;
}

class PipeListener final : public InstanceListener {
  public:
    PipeListener(std::wstring name, HANDLE pipe, InstanceRequest onRequest)
        : name_(std::move(name)),
          pipe_(pipe),
          stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          onRequest_(std::move(onRequest)) {
        if (stop_) thread_ = std::thread([this] { run(); });
    }
    ~PipeListener() override {
        if (stop_) ::SetEvent(stop_.get());
        if (thread_.joinable()) thread_.join();
    }
    bool listening() const { return thread_.joinable(); }

  private:
    void run() {
        UniqueHandle connected(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!connected) return;
        for (;;) {
            OVERLAPPED o{};
            o.hEvent = connected.get();
            ::ResetEvent(o.hEvent);
            bool ready = ::ConnectNamedPipe(pipe_.get(), &o) != 0;
            if (!ready) {
                const DWORD error = ::GetLastError();
                if (error == ERROR_PIPE_CONNECTED) {
                    ready = true;
                } else if (error == ERROR_IO_PENDING) {
                    const HANDLE handles[2] = {stop_.get(), o.hEvent};
                    const DWORD which = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
                    if (which != WAIT_OBJECT_0 + 1) {
                        ::CancelIoEx(pipe_.get(), &o);
                        DWORD ignored = 0;
                        ::GetOverlappedResult(pipe_.get(), &o, &ignored, TRUE);
                        return;
                    }
                    DWORD ignored = 0;
                    ready = ::GetOverlappedResult(pipe_.get(), &o, &ignored, FALSE) != 0;
                } else {
                    // The pipe cannot take clients any more; later starts then run alone.
                    return;
                }
            }
            if (ready) serveOne();
            ::DisconnectNamedPipe(pipe_.get());
            if (::WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0) return;
        }
    }

    void serveOne() {
        const std::string text = receiveUntil(pipe_.get(), kMessageLimitMs, [](const std::string& t) {
            const ParsedInstanceMessage m = parseInstanceMessage(t);
            return m.complete || !m.valid;
        });
        const ParsedInstanceMessage message = parseInstanceMessage(text);
        if (!message.complete) return;
        onRequest_(message.file);
        sendAll(pipe_.get(), std::string(kInstanceAnswer), kMessageLimitMs);
        // The answer is read before the pipe is cut.
        ::FlushFileBuffers(pipe_.get());
    }

    std::wstring name_;
    UniqueHandle pipe_;
    UniqueHandle stop_;
    InstanceRequest onRequest_;
    std::thread thread_;
};

}  // namespace

std::string desktopKey() {
    wchar_t desktop[256] = {};
    DWORD size = 0;
    if (::GetUserObjectInformationW(::GetThreadDesktop(::GetCurrentThreadId()), UOI_NAME, desktop,
                                    sizeof desktop, &size))
        return textFromWide(desktop);
    return "console";
}

InstanceClaim claimInstance(const std::string& key, const std::string& file, InstanceRequest onRequest) {
    const std::wstring name = pipeName(key);
    // Two starts at once: the system lets only one make the first instance of the pipe.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (const HANDLE pipe = newPipe(name, true)) {
            auto listener = std::make_unique<PipeListener>(name, pipe, std::move(onRequest));
            if (!listener->listening()) return {};
            return {std::move(listener), false};
        }
        if (handOver(name, file)) return {nullptr, true};
    }
    return {};
}

}  // namespace tessary::platform
