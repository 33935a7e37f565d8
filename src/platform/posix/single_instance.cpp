// SPDX-License-Identifier: GPL-3.0-or-later
// The first console listens on a Unix socket in a folder of the user's own; a later start connects to it.
#include "platform/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/instance_message.h"
#include "platform/posix/self_pipe.h"
#include "platform/unique_fd.h"

namespace tessary::platform {
namespace {

using Clock = std::chrono::steady_clock;
// A console that does not answer within this is taken as hung: the later start then runs alone.
constexpr auto kAnswerLimit = std::chrono::seconds(3);
// A peer that does not finish its message within this is dropped.
constexpr auto kMessageLimit = std::chrono::seconds(1);

// $XDG_RUNTIME_DIR, else /tmp/tessary-UID, made private to the user; empty when neither can be trusted.
std::string socketFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder =
        runtime && *runtime == '/' ? std::string(runtime) : "/tmp/tessary-" + std::to_string(::getuid());
    ::mkdir(folder.c_str(), 0700);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 077) != 0)
        return {};
    return folder;
}

std::string safeName(const std::string& key) {
    std::string name;
    for (const char c : key) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name.substr(0, 40);
}

int remainingMs(Clock::time_point until) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

bool sendAll(int fd, const std::string& text, Clock::time_point until) {
    std::size_t done = 0;
    while (done < text.size()) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, remainingMs(until)) <= 0) return false;
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads until `enough` says the text is whole, the peer closes, or the time is up.
template <typename Enough>
std::string receiveUntil(int fd, Clock::time_point until, Enough enough) {
    std::string text;
    char buffer[4096];
    while (!enough(text)) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, remainingMs(until)) <= 0) break;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

sockaddr_un addressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), std::min(path.size(), sizeof address.sun_path - 1));
    return address;
}

UniqueFd newSocket() { return UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)); }

// Hands the request to a console listening at `path`: true once it answered.
bool handOver(const std::string& path, const std::string& file) {
    UniqueFd fd = newSocket();
    const sockaddr_un address = addressOf(path);
    if (!fd) return false;
    const auto until = Clock::now() + kAnswerLimit;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS && errno != EAGAIN) return false;
        pollfd p{fd.get(), POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        if (::poll(&p, 1, remainingMs(until)) <= 0 ||
            ::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return false;
    }
    if (!sendAll(fd.get(), instanceMessage(file), until)) return false;
    const std::string answer = receiveUntil(
        fd.get(), until, [](const std::string& t) { return t.size() >= kInstanceAnswer.size(); });
    return answer == kInstanceAnswer;
}

class SocketListener final : public InstanceListener {
  public:
    SocketListener(UniqueFd socket, std::string path, InstanceRequest onRequest)
        : socket_(std::move(socket)), path_(std::move(path)), onRequest_(std::move(onRequest)) {
        if (stop_.valid()) thread_ = std::thread([this] { run(); });
    }
    ~SocketListener() override {
        stop_.notify(1);
        if (thread_.joinable()) thread_.join();
        ::unlink(path_.c_str());
    }
    bool listening() const { return thread_.joinable(); }

  private:
    void run() {
        for (;;) {
            pollfd p[2] = {{stop_.readFd(), POLLIN, 0}, {socket_.get(), POLLIN, 0}};
            if (::poll(p, 2, -1) < 0 && errno != EINTR) return;
            if (p[0].revents) return;
            if (p[1].revents & POLLIN) serveOne();
        }
    }

    void serveOne() {
        UniqueFd peer(::accept4(socket_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!peer) return;
        const auto until = Clock::now() + kMessageLimit;
        const std::string text = receiveUntil(peer.get(), until, [](const std::string& t) {
            const ParsedInstanceMessage m = parseInstanceMessage(t);
            return m.complete || !m.valid;
        });
        const ParsedInstanceMessage message = parseInstanceMessage(text);
        if (!message.complete) return;
        onRequest_(message.file);
        sendAll(peer.get(), std::string(kInstanceAnswer), until);
    }

    UniqueFd socket_;
    std::string path_;
    InstanceRequest onRequest_;
    SelfPipe stop_;
    std::thread thread_;
};

}  // namespace

std::string desktopKey() {
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return "console";
}

InstanceClaim claimInstance(const std::string& key, const std::string& file, InstanceRequest onRequest) {
    const std::string folder = socketFolder();
    if (folder.empty()) return {};
    const std::string base = folder + "/tessary-" + safeName(key);
    const std::string path = base + ".socket";
    if (path.size() >= sizeof(sockaddr_un{}.sun_path)) return {};
    // Two starts at once: one of them claims, the other finds it listening.
    UniqueFd lock(::open((base + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    const auto lockUntil = Clock::now() + kAnswerLimit;
    while (lock && ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0 && Clock::now() < lockUntil)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (handOver(path, file)) return {nullptr, true};
    // Nobody answered: a socket left by a console that ended without removing it.
    ::unlink(path.c_str());
    UniqueFd socket = newSocket();
    const sockaddr_un address = addressOf(path);
    if (!socket || ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(socket.get(), 8) != 0) {
        std::fprintf(stderr, "tessary: cannot listen for later starts at %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return {};
    }
    auto listener = std::make_unique<SocketListener>(std::move(socket), path, std::move(onRequest));
    if (!listener->listening()) return {};
    return {std::move(listener), false};
}

}  // namespace tessary::platform
