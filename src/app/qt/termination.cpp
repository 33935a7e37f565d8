// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/termination.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <csignal>

namespace tessary::qt {

namespace {
std::atomic<int> signalPipe{-1};

void onTerminationSignal(int) {
    const int saved = errno;
    const int fd = signalPipe.load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}
}  // namespace

struct TerminationSignals::Saved {
    struct sigaction interrupt {};
    struct sigaction terminate {};
};

TerminationSignals::TerminationSignals(std::function<void()> onSignal)
    : onSignal_(std::move(onSignal)), saved_(std::make_unique<Saved>()) {
    int fds[2];
    if (signalPipe.load() >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return;
    readFd_ = fds[0];
    writeFd_ = fds[1];
    signalPipe.store(writeFd_);
    notifier_ = std::make_unique<QSocketNotifier>(readFd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        char buffer[16];
        while (::read(readFd_, buffer, sizeof buffer) > 0) {
        }
        if (onSignal_) onSignal_();
    });
    struct sigaction action {};
    action.sa_handler = &onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &saved_->interrupt);
    ::sigaction(SIGTERM, &action, &saved_->terminate);
    installed_ = true;
}

TerminationSignals::~TerminationSignals() {
    if (installed_) {
        ::sigaction(SIGINT, &saved_->interrupt, nullptr);
        ::sigaction(SIGTERM, &saved_->terminate, nullptr);
    }
    notifier_.reset();
    if (writeFd_ >= 0) {
        signalPipe.store(-1);
        ::close(writeFd_);
    }
    if (readFd_ >= 0) ::close(readFd_);
}

}  // namespace tessary::qt
