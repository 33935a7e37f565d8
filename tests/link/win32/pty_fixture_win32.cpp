// SPDX-License-Identifier: GPL-3.0-or-later
// The fixture under wine: each pseudo-terminal, and the test's hold on the prefix's COM ports, is a
// tessary-pty-relay process on the Linux side that this program starts and talks to over 127.0.0.1. COMn is
// wine's $WINEPREFIX/dosdevices/comN, which the relay links to the pty's slave.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
// clang-format on

#include <chrono>
#include <mutex>
#include <sstream>
#include <stdexcept>

#include "../pty_fixture.h"

namespace tessary::test {
namespace {

struct Winsock {
    Winsock() {
        WSADATA data{};
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
    }
};

// The relay's Linux path as wine names it: the Unix root is drive Z:.
std::wstring relayProgram() {
    std::wstring path = L"Z:";
    for (char c : std::string(TESSARY_PTY_RELAY)) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

// One relay process and the connection to it; it ends when the connection closes.
class Relay {
  public:
    explicit Relay(const char* mode) {
        static Winsock winsock;
        SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        if (listener == INVALID_SOCKET ||
            ::bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(listener, 1) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        std::wstring command = L"tessary-pty-relay " + std::to_wstring(ntohs(address.sin_port)) + L" ";
        for (const char* c = mode; *c; ++c) command += static_cast<wchar_t>(*c);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(relayProgram().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process)) {
            ::closesocket(listener);
            throw std::runtime_error("cannot start tessary-pty-relay (" TESSARY_PTY_RELAY ")");
        }
        // Wine starts a Linux program without a process handle, and leaves no valid thread handle either.
        if (process.hProcess) {
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        }
        int error = 0;
        const auto giveUp = std::chrono::steady_clock::now() + 20s;
        while (socket_ == INVALID_SOCKET && std::chrono::steady_clock::now() < giveUp) {
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(listener, &ready);
            timeval slice{0, 100000};
            const int n = ::select(0, &ready, nullptr, nullptr, &slice);
            if (n == 1) socket_ = ::accept(listener, nullptr, nullptr);
            if (n < 0 || (n == 1 && socket_ == INVALID_SOCKET)) {
                error = ::WSAGetLastError();
                ::Sleep(10);
            }
        }
        ::closesocket(listener);
        if (socket_ == INVALID_SOCKET)
            throw std::runtime_error("tessary-pty-relay did not connect (error " + std::to_string(error) +
                                     ")");
        const BOOL one = TRUE;
        ::setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    }
    ~Relay() { ::closesocket(socket_); }
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    // Sends a request (and its bytes) and returns what follows "ok" in the answer.
    std::string call(const std::string& request, const Bytes& payload = {}) {
        std::string all = request + "\n";
        all.append(payload.begin(), payload.end());
        for (std::size_t done = 0; done < all.size();) {
            const int n = ::send(socket_, all.data() + done, static_cast<int>(all.size() - done), 0);
            if (n <= 0) throw std::runtime_error("tessary-pty-relay has gone");
            done += static_cast<std::size_t>(n);
        }
        return answer();
    }
    // The answer to the request made when the relay started.
    std::string answer() {
        std::string line;
        char c = 0;
        while (receive(&c, 1) && c != '\n') line += c;
        if (line.rfind("ok", 0) != 0) throw std::runtime_error("tessary-pty-relay: " + line);
        return line.size() > 3 ? line.substr(3) : std::string();
    }
    Bytes receive(std::size_t count) {
        Bytes bytes(count);
        if (count > 0 && !receive(bytes.data(), count))
            throw std::runtime_error("tessary-pty-relay has gone");
        return bytes;
    }

  private:
    bool receive(void* data, std::size_t size) {
        auto* p = static_cast<char*>(data);
        while (size > 0) {
            const int n = ::recv(socket_, p, static_cast<int>(size), 0);
            if (n <= 0) return false;
            p += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    SOCKET socket_ = INVALID_SOCKET;
};

}  // namespace

bool serialUnitIsWindows() { return true; }

struct PortDir::Links {
    Relay relay{"ports"};
};

// The relay answers once it holds the ports (another test may hold them meanwhile).
PortDir::PortDir() : links_(std::make_unique<Links>()) { links_->relay.answer(); }

PortDir::~PortDir() = default;

void PortDir::link(int com, const std::string& target) const {
    links_->relay.call("link " + std::to_string(com) + " " + target);
}

// Requests from the test's threads (a machine thread may read while the test writes) take turns.
struct Pty::Master {
    Relay relay{"pty"};
    std::mutex mutex;
};

Pty::Pty() : master_(std::make_unique<Master>()) { slavePath_ = master_->relay.answer(); }

Pty::~Pty() = default;

void Pty::write(const Bytes& bytes) const {
    std::lock_guard lock(master_->mutex);
    master_->relay.call("write " + std::to_string(bytes.size()), bytes);
}

Bytes Pty::read(std::size_t count, std::chrono::milliseconds quiet) const {
    std::lock_guard lock(master_->mutex);
    const std::string n =
        master_->relay.call("read " + std::to_string(count) + " " + std::to_string(quiet.count()));
    return master_->relay.receive(std::stoul(n));
}

Bytes Pty::readAtRate(std::size_t count, int bytesPerSecond, std::chrono::milliseconds quiet) const {
    std::lock_guard lock(master_->mutex);
    const std::string n =
        master_->relay.call("paced-read " + std::to_string(count) + " " + std::to_string(bytesPerSecond) +
                            " " + std::to_string(quiet.count()));
    return master_->relay.receive(std::stoul(n));
}

TtyLine Pty::line() const {
    std::lock_guard lock(master_->mutex);
    std::istringstream answer(master_->relay.call("line"));
    TtyLine line;
    answer >> line.baud >> line.dataBits >> line.stopBits >> line.parity >> line.rtsCts >> line.xonXoff >>
        line.raw;
    return line;
}

void Pty::closeMaster() {
    std::lock_guard lock(master_->mutex);
    master_->relay.call("close");
}

std::chrono::microseconds processCpuTime() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return std::chrono::microseconds((ticks(kernel) + ticks(user)) / 10);
}

}  // namespace tessary::test
