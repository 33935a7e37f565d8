// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/port_worker.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace tessary::link {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Drivers that count line events are sampled this often; others (ptys) are not polled at all.
constexpr int kLineSampleMs = 50;

// A USB adapter hands over a few bytes per millisecond at 57600 baud. After such a trickle the worker lets
// the bytes gather for about a display frame instead of waking both threads for every few reports; a bulk
// read does not rest.
constexpr auto kTrickleRest = milliseconds(33);
constexpr std::size_t kTrickleBytes = 256;

// A command byte is written at once; only a write that lasts longer than this lets the caller do other work.
constexpr std::size_t kMostReadAtOnce = 64 * 1024;

constexpr auto kQuietWrite = milliseconds(20);
constexpr auto kWaitSlice = milliseconds(15);

QueueEntry status(std::uint8_t code) { return {QueueEntry::Type::LineStatus, code}; }

bool changed(std::uint32_t before, std::uint32_t now) { return before != now; }

int remainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1000 * 60 * 60));
}

// The line's write time-out: the constant plus the multiplier per byte, both the unit's Timeout.
long long writeTimeLimitMs(std::int32_t timeoutMs, std::size_t count) {
    constexpr long long kCap = 1LL << 40;  // about 35 years; keeps the clock arithmetic in range
    const long long perByte = std::max<std::int32_t>(timeoutMs, 0);
    if (perByte == 0) return 0;
    const auto factor = static_cast<long long>(std::min<std::size_t>(count, kCap)) + 1;
    return factor > kCap / perByte ? kCap : perByte * factor;
}

}  // namespace

// The write's total allowance grows with its length (hours for an image at the unit's time-out), so a far
// end that stops taking bytes would hold the window thread that long: a write during which no byte leaves
// for as long as a one-byte write may last has stalled and fails.
PortWorker::StallWatch::StallWatch(std::int32_t timeoutMs)
    : allowance_(writeTimeLimitMs(timeoutMs, 1)), lastMove_(Clock::now()) {}

Clock::time_point PortWorker::StallWatch::limit(Clock::time_point deadline, std::size_t sent) {
    if (sent != sent_) {
        sent_ = sent;
        lastMove_ = Clock::now();
    }
    return std::min(deadline, lastMove_ + milliseconds(allowance_));
}

PortWorker::PortWorker(TtyDevice& device, std::shared_ptr<EventQueue> queue, WorkerOptions options)
    : device_(device), queue_(std::move(queue)), options_(options) {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
    try {
        thread_ = std::thread([this] { run(); });
    } catch (...) {
        ::close(wakeFd_);
        throw;
    }
    // Bytes that arrive once Open has returned must not fall to the worker's own start-up purge.
    std::unique_lock lock(mutex_);
    started_.wait(lock, [this] { return running_; });
}

PortWorker::~PortWorker() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    wake();
    thread_.join();
    ::close(wakeFd_);
}

void PortWorker::wake() {
    std::uint64_t one = 1;
    while (::write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

bool PortWorker::write(const Bytes& bytes, const std::function<void()>& whileWaiting) {
    if (gone_.load()) return false;
    std::unique_lock lock(mutex_);
    sendBuffer_ = &bytes;
    writeFinished_ = false;
    sent_.store(0);
    lock.unlock();
    wake();
    lock.lock();
    const auto finished = [this] { return writeFinished_; };
    if (!whileWaiting) {
        writeDone_.wait(lock, finished);
        return writeResult_;
    }
    if (!writeDone_.wait_for(lock, kQuietWrite, finished)) {
        do {
            lock.unlock();
            whileWaiting();
            lock.lock();
        } while (!writeDone_.wait_for(lock, kWaitSlice, finished));
    }
    return writeResult_;
}

void PortWorker::noteSent(std::size_t handedOver) {
    const std::size_t queued = device_.outputQueued();
    sent_.store(handedOver > queued ? handedOver - queued : 0);
}

void PortWorker::markGone() {
    if (gone_.exchange(true)) return;
    const QueueEntry entry{QueueEntry::Type::DeviceGone, 0};
    queue_->append(&entry, 1);
}

void PortWorker::run() {
    device_.purge();
    counters_ = device_.counters();
    if (!counters_) lines_ = device_.modemLines();
    {
        std::lock_guard lock(mutex_);
        running_ = true;
    }
    started_.notify_all();
    while (waitOnce()) {
    }
}

// One round: wait for the first of stop, I/O and write request, and handle them in that order.
bool PortWorker::waitOnce() {
    const bool gone = gone_.load();
    const bool sampleLines = (counters_ || lines_) && !gone;
    const bool resting = !gone && Clock::now() < restUntil_;
    int timeout = sampleLines ? kLineSampleMs : -1;
    if (resting) timeout = std::max(1, remainingMs(restUntil_));
    std::array<pollfd, 2> fds{{{gone || resting ? -1 : device_.fd(), POLLIN, 0}, {wakeFd_, POLLIN, 0}}};
    if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
        std::this_thread::sleep_for(milliseconds(kLineSampleMs));  // never spin on an unexpected poll failure
        return true;
    }
    if (fds[1].revents & POLLIN) {
        std::uint64_t count = 0;
        [[maybe_unused]] auto n = ::read(wakeFd_, &count, sizeof count);
    }

    const Bytes* request = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (stopRequested_) return false;
        if (!writeFinished_) request = sendBuffer_;
    }

    if (sampleLines) {
        std::vector<QueueEntry> events;
        collectLineEvents(events);
        if (!events.empty()) queue_->append(events.data(), events.size());
    }
    if (fds[0].revents != 0) {
        std::size_t taken = readAvailable();
        if (taken > 0 && taken < kTrickleBytes) restUntil_ = Clock::now() + kTrickleRest;
    }

    if (request) {
        bool ok = performWrite(*request);
        std::lock_guard lock(mutex_);
        writeResult_ = ok;
        writeFinished_ = true;
        sendBuffer_ = nullptr;
        writeDone_.notify_all();
    }
    return true;
}

void PortWorker::collectLineEvents(std::vector<QueueEntry>& out) {
    bool cts = false, dsr = false, dcd = false;
    if (counters_) {
        auto now = device_.counters();
        if (!now) return;
        const LineCounters& was = *counters_;
        if (changed(was.brk, now->brk)) out.push_back(status(1));
        if (changed(was.frame, now->frame) || changed(was.overrun, now->overrun) ||
            changed(was.bufOverrun, now->bufOverrun) ||
            (options_.parityCheck && changed(was.parity, now->parity)))
            out.push_back(status(4));
        if (changed(was.rng, now->rng)) out.push_back(status(5));
        cts = changed(was.cts, now->cts);
        dsr = changed(was.dsr, now->dsr);
        dcd = changed(was.dcd, now->dcd);
        counters_ = now;
        if (!(cts || dsr || dcd)) return;
        auto lines = device_.modemLines();
        if (!lines) return;
        if (cts) out.push_back(status(lines->cts ? 2 : 8));
        if (dsr) out.push_back(status(lines->dsr ? 3 : 9));
        if (dcd) out.push_back(status(lines->dcd ? 6 : 10));
        return;
    }
    auto lines = device_.modemLines();
    if (!lines || !lines_ || *lines == *lines_) return;
    if (lines->ri && !lines_->ri) out.push_back(status(5));
    if (lines->cts != lines_->cts) out.push_back(status(lines->cts ? 2 : 8));
    if (lines->dsr != lines_->dsr) out.push_back(status(lines->dsr ? 3 : 9));
    if (lines->dcd != lines_->dcd) out.push_back(status(lines->dcd ? 6 : 10));
    lines_ = lines;
}

std::size_t PortWorker::readAvailable() {
    std::uint8_t buffer[4096];
    std::vector<QueueEntry> entries;
    std::size_t taken = 0;
    // A device that never pauses must not keep the worker from a stop request or a write.
    while (taken < kMostReadAtOnce) {
        ssize_t n = ::read(device_.fd(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return taken;
        if (n <= 0) {
            // End of file on a hung-up tty, EIO once the far end of a pty is closed: the device is gone.
            markGone();
            return taken;
        }
        taken += static_cast<std::size_t>(n);
        entries.clear();
        auto count = static_cast<std::size_t>(n);
        if (options_.eventChar && std::memchr(buffer, *options_.eventChar, count))
            entries.push_back(status(7));
        for (std::size_t i = 0; i < count; ++i) entries.push_back({QueueEntry::Type::Byte, buffer[i]});
        queue_->append(entries.data(), entries.size());
    }
    return taken;
}

bool PortWorker::performWrite(const Bytes& bytes) {
    // What has arrived is taken in before the purge, so that the purge cannot cut a report from the machine.
    readAvailable();
    if (gone_.load()) return false;
    device_.purge();
    const bool limited = options_.timeoutMs > 0;
    const auto deadline = Clock::now() + milliseconds(writeTimeLimitMs(options_.timeoutMs, bytes.size()));
    StallWatch stall(options_.timeoutMs);

    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(device_.fd(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            if (errno == EIO || errno == ENXIO || errno == ENODEV) markGone();
            return false;
        }
        // The driver's buffer is full: wait for room, taking in what arrives meanwhile.
        noteSent(done);
        const auto until = stall.limit(deadline, sent_.load());
        if (limited && remainingMs(until) == 0) return false;
        pollfd fd{device_.fd(), POLLOUT | POLLIN, 0};
        if (::poll(&fd, 1, limited ? remainingMs(until) : -1) < 0 && errno != EINTR) return false;
        if (fd.revents & (POLLIN | POLLHUP | POLLERR)) readAvailable();
        if (gone_.load()) return false;
    }
    return waitForTransmitter(bytes.size(), deadline, limited, stall);
}

bool PortWorker::waitForTransmitter(std::size_t total, Clock::time_point deadline, bool limited,
                                    StallWatch& stall) {
    const long long bytesPerSecond = std::max(1, options_.baudRate / 10);
    while (std::size_t queued = device_.outputQueued()) {
        sent_.store(total > queued ? total - queued : 0);
        const auto until = stall.limit(deadline, sent_.load());
        if (limited && remainingMs(until) == 0) return false;
        long long ms = std::clamp<long long>(static_cast<long long>(queued) * 1000 / bytesPerSecond, 1, 20);
        if (limited) ms = std::min<long long>(ms, remainingMs(until));
        pollfd fd{device_.fd(), POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(ms)) > 0) readAvailable();
        if (gone_.load()) return false;
    }
    const bool drained = device_.drain();
    if (drained) sent_.store(total);
    return drained;
}

}  // namespace tessary::link
