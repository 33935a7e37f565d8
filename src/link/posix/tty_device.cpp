// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/posix/tty_device.h"

// termios2 (any baud rate) comes from the kernel headers, which cannot be mixed with <termios.h>.
#include <asm/termbits.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "link/posix/line_flags.h"

namespace tessary::link {
namespace {

QueueEntry status(std::uint8_t code) { return {QueueEntry::Type::LineStatus, code}; }

bool changed(std::uint32_t before, std::uint32_t now) { return before != now; }

void setModemLine(int fd, int line, bool on) {
    // Pseudo-terminals have no modem lines; a refusal here is not a failure of the open.
    ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

// The log pane keeps only the connection texts; the reason an open was refused goes to the terminal, once
// for a device (the start-up scan tries COM1 twice).
void reportPermissionDenied(const std::string& path) {
    static std::string lastReported;
    std::error_code ec;
    std::string device = std::filesystem::canonical(path, ec).string();
    if (ec) device = path;
    if (device == lastReported) return;
    lastReported = device;

    struct stat st {};
    const struct group* owner = ::stat(device.c_str(), &st) == 0 ? ::getgrgid(st.st_gid) : nullptr;
    const bool groupMayUse =
        owner && st.st_gid != 0 && (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (groupMayUse)
        std::fprintf(stderr,
                     "tessary: no permission to open %s: add your account to the group \"%s\" "
                     "(sudo usermod -aG %s $USER), then log out and in again\n",
                     device.c_str(), owner->gr_name, owner->gr_name);
    else
        std::fprintf(stderr,
                     "tessary: no permission to open %s, and no group may use it: give it a group "
                     "(a udev rule) or ask the administrator\n",
                     device.c_str());
}

OpenRefusal refusalOf(int error) {
    switch (error) {
        case EBUSY:
            return OpenRefusal::InUse;
        case EACCES:
        case EPERM:
            return OpenRefusal::NoPermission;
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return OpenRefusal::NotThere;
        default:
            return OpenRefusal::NotUsable;
    }
}

}  // namespace

std::unique_ptr<PortDevice> openPortDevice(const std::string& path, const PortSettings& settings,
                                           OpenRefusal* refusal) {
    int error = 0;
    auto device = TtyDevice::open(path, error);
    if (refusal) *refusal = device ? OpenRefusal::None : refusalOf(error);
    if (!device) {
        if (error == EACCES || error == EPERM) reportPermissionDenied(path);
        return nullptr;
    }
    if (!device->configure(settings)) {
        if (refusal) *refusal = OpenRefusal::NotUsable;
        return nullptr;
    }
    device->purge();
    return device;
}

std::unique_ptr<TtyDevice> TtyDevice::open(const std::string& path, int& errorNumber) {
    errorNumber = 0;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        errorNumber = errno;
        return nullptr;
    }
    const int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        errorNumber = errno;
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<TtyDevice> device(new TtyDevice(fd, wakeFd));
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0) {
        errorNumber = ENOTTY;
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        errorNumber = errno == EWOULDBLOCK ? EBUSY : errno;
        return nullptr;
    }
    ::ioctl(fd, TIOCEXCL);
    return device;
}

TtyDevice::~TtyDevice() {
    // TIOCEXCL outlives this descriptor while the far end of a pty stays open; the next open must succeed.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    ::close(wakeFd_);
}

bool TtyDevice::configure(const PortSettings& s) {
    termios2 t{};
    if (::ioctl(fd_, TCGETS2, &t) != 0) return false;
    LineFlags current{t.c_iflag,     t.c_oflag,      t.c_cflag,     t.c_lflag, t.c_cc[VMIN],
                      t.c_cc[VTIME], t.c_cc[VSTART], t.c_cc[VSTOP], t.c_ospeed};
    auto wanted = lineFlags(current, s);
    if (!wanted) return false;
    t.c_iflag = wanted->iflag;
    t.c_oflag = wanted->oflag;
    t.c_cflag = wanted->cflag;
    t.c_lflag = wanted->lflag;
    t.c_cc[VMIN] = wanted->vmin;
    t.c_cc[VTIME] = wanted->vtime;
    t.c_cc[VSTART] = wanted->vstart;
    t.c_cc[VSTOP] = wanted->vstop;
    t.c_ispeed = t.c_ospeed = wanted->speed;
    if (::ioctl(fd_, TCSETS2, &t) != 0) return false;

    if (s.flowControl != 1) setModemLine(fd_, TIOCM_RTS, s.rtsControl != 1);
    if (s.dtrControl == 1) setModemLine(fd_, TIOCM_DTR, false);
    if (s.dtrControl == 2) setModemLine(fd_, TIOCM_DTR, true);
    parityCheck_ = s.parityCheck;
    return true;
}

void TtyDevice::wake() {
    std::uint64_t one = 1;
    while (::write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void TtyDevice::start() {
    purge();
    counters_ = counters();
    if (!counters_) lines_ = modemLines();
}

void TtyDevice::wait(int timeoutMs, bool input, bool output) {
    const short events = static_cast<short>((input ? POLLIN : 0) | (output ? POLLOUT : 0));
    std::array<pollfd, 2> fds{{{gone() || events == 0 ? -1 : fd_, events, 0}, {wakeFd_, POLLIN, 0}}};
    if (::poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR) {
        // Never spin on an unexpected poll failure.
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs < 0 ? 50 : std::min(timeoutMs, 50)));
        return;
    }
    if (fds[1].revents & POLLIN) {
        std::uint64_t count = 0;
        [[maybe_unused]] auto n = ::read(wakeFd_, &count, sizeof count);
    }
}

std::size_t TtyDevice::read(std::uint8_t* buffer, std::size_t size, std::vector<QueueEntry>&) {
    if (gone()) return 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n > 0) return static_cast<std::size_t>(n);
        if (n < 0 && errno == EINTR) continue;
        // End of file on a hung-up tty, EIO once the far end of a pty is closed: the device is gone.
        if (!(n < 0 && errno == EAGAIN)) gone_ = true;
        return 0;
    }
}

void TtyDevice::lineEvents(std::vector<QueueEntry>& out) {
    bool cts = false, dsr = false, dcd = false;
    if (counters_) {
        auto now = counters();
        if (!now) return;
        const LineCounters& was = *counters_;
        if (changed(was.brk, now->brk)) out.push_back(status(1));
        if (changed(was.frame, now->frame) || changed(was.overrun, now->overrun) ||
            changed(was.bufOverrun, now->bufOverrun) || (parityCheck_ && changed(was.parity, now->parity)))
            out.push_back(status(4));
        if (changed(was.rng, now->rng)) out.push_back(status(5));
        cts = changed(was.cts, now->cts);
        dsr = changed(was.dsr, now->dsr);
        dcd = changed(was.dcd, now->dcd);
        counters_ = now;
        if (!(cts || dsr || dcd)) return;
        auto lines = modemLines();
        if (!lines) return;
        if (cts) out.push_back(status(lines->cts ? 2 : 8));
        if (dsr) out.push_back(status(lines->dsr ? 3 : 9));
        if (dcd) out.push_back(status(lines->dcd ? 6 : 10));
        return;
    }
    auto lines = modemLines();
    if (!lines || !lines_ || *lines == *lines_) return;
    if (lines->ri && !lines_->ri) out.push_back(status(5));
    if (lines->cts != lines_->cts) out.push_back(status(lines->cts ? 2 : 8));
    if (lines->dsr != lines_->dsr) out.push_back(status(lines->dsr ? 3 : 9));
    if (lines->dcd != lines_->dcd) out.push_back(status(lines->dcd ? 6 : 10));
    lines_ = lines;
}

std::optional<std::size_t> TtyDevice::write(const std::uint8_t* data, std::size_t count) {
    if (gone()) return std::nullopt;
    for (;;) {
        const ssize_t n = ::write(fd_, data, count);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return 0;
        if (errno == EIO || errno == ENXIO || errno == ENODEV) gone_ = true;
        return std::nullopt;
    }
}

std::optional<std::size_t> TtyDevice::pendingOutput() {
    if (gone()) return std::nullopt;
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued < 0) return 0;
    if (queued > 0) return static_cast<std::size_t>(queued);
    // The UART's shift register: only drivers of real UARTs answer, the rest have nothing left by now.
    unsigned int lsr = 0;
    if (::ioctl(fd_, TIOCSERGETLSR, &lsr) == 0 && !(lsr & TIOCSER_TEMT)) return 1;
    return 0;
}

void TtyDevice::discardOutput() {
    if (pendingOutput().value_or(0) > 0) ::ioctl(fd_, TCFLSH, TCOFLUSH);
}

void TtyDevice::purge() {
    ::ioctl(fd_, TCFLSH, TCIFLUSH);
    // Only bytes this side has not sent yet: some kernels' pty flush discards what the far end has not read.
    discardOutput();
}

std::optional<LineCounters> TtyDevice::counters() const {
    serial_icounter_struct ic{};
    if (::ioctl(fd_, TIOCGICOUNT, &ic) != 0) return std::nullopt;
    auto u = [](int v) { return static_cast<std::uint32_t>(v); };
    return LineCounters{u(ic.cts),     u(ic.dsr),    u(ic.rng), u(ic.dcd),        u(ic.frame),
                        u(ic.overrun), u(ic.parity), u(ic.brk), u(ic.buf_overrun)};
}

std::optional<ModemLines> TtyDevice::modemLines() const {
    int bits = 0;
    if (::ioctl(fd_, TIOCMGET, &bits) != 0) return std::nullopt;
    return ModemLines{(bits & TIOCM_CTS) != 0, (bits & TIOCM_DSR) != 0, (bits & TIOCM_CAR) != 0,
                      (bits & TIOCM_RNG) != 0};
}

}  // namespace tessary::link
