// SPDX-License-Identifier: GPL-3.0-or-later
#include "virtual_engraver/port.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace tessary::virtual_engraver {
namespace {

std::string errorText(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string linkTarget(const std::string& path) {
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    return n < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
}

}  // namespace

std::optional<Pty> openPty(std::string& problem) {
    UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!master || ::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0) {
        problem = errorText("cannot create a pseudo-terminal");
        return std::nullopt;
    }
    char name[256];
    if (::ptsname_r(master.get(), name, sizeof name) != 0) {
        problem = errorText("cannot name the pseudo-terminal");
        return std::nullopt;
    }
    // Raw from the start, so whatever opens the slave sees neither echo nor line editing.
    UniqueFd slave(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios tio{};
    if (!slave || ::tcgetattr(slave.get(), &tio) != 0) {
        problem = errorText(std::string("cannot open ") + name);
        return std::nullopt;
    }
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B57600);
    ::cfsetospeed(&tio, B57600);
    if (::tcsetattr(slave.get(), TCSANOW, &tio) != 0) {
        problem = errorText(std::string("cannot set ") + name + " raw");
        return std::nullopt;
    }
    return Pty{std::move(master), name};
}

std::optional<PortLink> PortLink::create(std::string dir, int com, const std::string& target,
                                         std::string& problem) {
    PortLink link;
    if (dir.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tessary-ports-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            problem = errorText("cannot make a port directory");
            return std::nullopt;
        }
        dir = pattern;
        link.ownsDir_ = true;
    } else if (::mkdir(dir.c_str(), 0700) == 0) {
        link.ownsDir_ = true;
    } else if (errno != EEXIST) {
        problem = errorText("cannot make the port directory " + dir);
        return std::nullopt;
    }
    link.dir_ = dir;
    link.path_ = dir + "/COM" + std::to_string(com);
    link.target_ = target;

    struct stat st {};
    if (::lstat(link.path_.c_str(), &st) == 0) {
        // A link whose device is gone was left by an engraver that did not exit cleanly.
        struct stat device {};
        const bool stale = S_ISLNK(st.st_mode) && ::stat(link.path_.c_str(), &device) != 0;
        if (!stale) {
            problem = link.path_ + " already exists (another engraver? choose another --com)";
            if (link.ownsDir_) ::rmdir(dir.c_str());
            return std::nullopt;
        }
        ::unlink(link.path_.c_str());
    }
    if (::symlink(target.c_str(), link.path_.c_str()) != 0) {
        problem = errorText("cannot link " + link.path_);
        if (link.ownsDir_) ::rmdir(dir.c_str());
        return std::nullopt;
    }
    link.active_ = true;
    return link;
}

PortLink::PortLink(PortLink&& other) noexcept
    : dir_(std::move(other.dir_)),
      path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      ownsDir_(other.ownsDir_),
      active_(std::exchange(other.active_, false)) {}

PortLink::~PortLink() { remove(); }

bool PortLink::remove() {
    if (!active_) return false;
    active_ = false;
    // Only our own link: someone may have replaced it meanwhile.
    if (linkTarget(path_) == target_) ::unlink(path_.c_str());
    return ownsDir_ && ::rmdir(dir_.c_str()) == 0;
}

}  // namespace tessary::virtual_engraver
