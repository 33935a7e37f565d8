// SPDX-License-Identifier: GPL-3.0-or-later
#include "pty_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace tessary::test {
namespace fs = std::filesystem;

namespace {
[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }
}  // namespace

PortDir::PortDir() {
    std::string pattern = (fs::temp_directory_path() / "tessary-ports-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) fail("mkdtemp");
    path_ = pattern;
    if (const char* old = std::getenv("TESSARY_PORT_DIR")) {
        hadPrevious_ = true;
        previous_ = old;
    }
    ::setenv("TESSARY_PORT_DIR", path_.c_str(), 1);
}

PortDir::~PortDir() {
    if (hadPrevious_)
        ::setenv("TESSARY_PORT_DIR", previous_.c_str(), 1);
    else
        ::unsetenv("TESSARY_PORT_DIR");
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void PortDir::link(int com, const std::string& target) const {
    const fs::path link = fs::path(path_) / ("COM" + std::to_string(com));
    fs::remove(link);
    fs::create_symlink(target, link);
}

Pty::Pty() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) fail("openpty");
    slavePath_ = name;
    termios t{};
    ::tcgetattr(master_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master_, TCSANOW, &t);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
}

Pty::~Pty() {
    closeMaster();
    ::close(slave_);
}

void Pty::write(const Bytes& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{master_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (!(n < 0 && errno == EINTR)) {
            fail("write to pty master");
        }
    }
}

Bytes Pty::read(std::size_t count, std::chrono::milliseconds quiet) const {
    Bytes out;
    std::uint8_t buffer[4096];
    while (out.size() < count) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0) break;
        ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

void Pty::closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

void RecordingSink::raise(const std::string& unit, int event, const EventArgs& args) {
    events.push_back({unit, event, args.a});
    if (onRaise) onRaise(events.back());
}

bool processUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    QCoreApplication::processEvents();
    if (condition()) return true;
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (condition() || std::chrono::steady_clock::now() >= end) loop.quit();
    });
    tick.start(2);
    loop.exec();
    return condition();
}

void processFor(std::chrono::milliseconds period) {
    processUntil([] { return false; }, period);
}

std::chrono::microseconds processCpuTime() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    auto us = [](const timeval& t) {
        return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
    };
    return us(u.ru_utime) + us(u.ru_stime);
}

}  // namespace tessary::test
