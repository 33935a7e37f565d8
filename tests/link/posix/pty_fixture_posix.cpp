// SPDX-License-Identifier: GPL-3.0-or-later
// The fixture on Linux: ptys of this process, linked in a temporary TESSARY_PORT_DIR.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "../pty_fixture.h"
#include "paced_read.h"
#include "tty_line_of.h"

namespace tessary::test {
namespace fs = std::filesystem;

namespace {
[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }
}  // namespace

bool serialUnitIsWindows() { return false; }

struct PortDir::Links {
    std::string path;
    std::string previous;
    bool hadPrevious = false;
};

PortDir::PortDir() : links_(std::make_unique<Links>()) {
    std::string pattern = (fs::temp_directory_path() / "tessary-ports-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) fail("mkdtemp");
    links_->path = pattern;
    if (const char* old = std::getenv("TESSARY_PORT_DIR")) {
        links_->hadPrevious = true;
        links_->previous = old;
    }
    ::setenv("TESSARY_PORT_DIR", links_->path.c_str(), 1);
}

PortDir::~PortDir() {
    if (links_->hadPrevious)
        ::setenv("TESSARY_PORT_DIR", links_->previous.c_str(), 1);
    else
        ::unsetenv("TESSARY_PORT_DIR");
    std::error_code ec;
    fs::remove_all(links_->path, ec);
}

void PortDir::link(int com, const std::string& target) const {
    const fs::path link = fs::path(links_->path) / ("COM" + std::to_string(com));
    fs::remove(link);
    fs::create_symlink(target, link);
}

// The test keeps one slave descriptor open so that the slave's line settings can be read back.
struct Pty::Master {
    int master = -1;
    int slave = -1;
};

Pty::Pty() : master_(std::make_unique<Master>()) {
    char name[256] = {};
    if (::openpty(&master_->master, &master_->slave, name, nullptr, nullptr) != 0) fail("openpty");
    slavePath_ = name;
    termios t{};
    ::tcgetattr(master_->master, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master_->master, TCSANOW, &t);
    ::fcntl(master_->master, F_SETFL, ::fcntl(master_->master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_->master, F_SETFD, FD_CLOEXEC);
    ::fcntl(master_->slave, F_SETFD, FD_CLOEXEC);
}

Pty::~Pty() {
    closeMaster();
    ::close(master_->slave);
}

void Pty::write(const Bytes& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(master_->master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{master_->master, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (!(n < 0 && errno == EINTR)) {
            fail("write to pty master");
        }
    }
    // A poll on the slave moves what the master wrote into the slave's input queue at once, where a driver
    // holds received bytes, instead of whenever the kernel's worker gets to it.
    pollfd p{master_->slave, POLLIN, 0};
    ::poll(&p, 1, 0);
}

Bytes Pty::read(std::size_t count, std::chrono::milliseconds quiet) const {
    Bytes out;
    std::uint8_t buffer[4096];
    while (out.size() < count) {
        pollfd p{master_->master, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0) break;
        ssize_t n = ::read(master_->master, buffer, sizeof buffer);
        if (n <= 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

Bytes Pty::readAtRate(std::size_t count, int bytesPerSecond, std::chrono::milliseconds quiet) const {
    return pacedRead(master_->master, count, bytesPerSecond, static_cast<int>(quiet.count()));
}

TtyLine Pty::line() const { return ttyLineOf(master_->slave); }

void Pty::closeMaster() {
    if (master_->master >= 0) ::close(master_->master);
    master_->master = -1;
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
