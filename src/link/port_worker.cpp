// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/port_worker.h"

#include <algorithm>
#include <cstring>

namespace tessary::link {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Devices whose line states can be read are sampled this often; others (ptys) are not polled at all.
constexpr int kLineSampleMs = 50;

// A USB adapter hands over a few bytes per millisecond at 57600 baud. After such a trickle the worker lets
// the bytes gather for about a display frame instead of waking both threads for every few reports; a bulk
// read does not rest.
constexpr auto kTrickleRest = milliseconds(33);
constexpr std::size_t kTrickleBytes = 256;

// A device that never pauses must not keep the worker from a stop request or a write.
constexpr std::size_t kMostReadAtOnce = 64 * 1024;

// A command byte is written at once; only a write that lasts longer than this lets the caller do other work.
constexpr auto kQuietWrite = milliseconds(20);
constexpr auto kWaitSlice = milliseconds(15);

QueueEntry status(std::uint8_t code) { return {QueueEntry::Type::LineStatus, code}; }

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
// A driver may take more than it reports as queued: a pseudo-terminal under wine takes some 20 KB at once and
// reports none of it, USB and Bluetooth adapters keep buffers of their own. While the line is still carrying
// what the driver took, at the slowest a byte may go (12 bits: start, 8 data, parity, 2 stop), its silence is
// no stall.
PortWorker::StallWatch::StallWatch(std::int32_t timeoutMs, std::int32_t baudRate, const LinkClock& clock)
    : clock_(clock),
      allowance_(writeTimeLimitMs(timeoutMs, 1)),
      slowestBytesPerSecond_(std::max(baudRate, 12) / 12.0),
      start_(clock.now()),
      lastMove_(start_) {}

Clock::time_point PortWorker::StallWatch::limit(Clock::time_point deadline, std::size_t sent,
                                                std::size_t taken) {
    if (sent != sent_) {
        sent_ = sent;
        lastMove_ = clock_.now();
    }
    const auto carried = start_ + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(taken / slowestBytesPerSecond_));
    return std::min(deadline, std::max(lastMove_, carried) + milliseconds(allowance_));
}

int PortWorker::remainingMs(Clock::time_point deadline) const {
    auto left = std::chrono::duration_cast<milliseconds>(deadline - now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1000 * 60 * 60));
}

PortWorker::PortWorker(std::unique_ptr<PortDevice> device, std::shared_ptr<EventQueue> queue,
                       WorkerOptions options)
    : device_(std::move(device)), queue_(std::move(queue)), options_(options) {
    thread_ = std::thread([this] { run(); });
    // Bytes that arrive once Open has returned must not fall to the worker's own start-up purge.
    std::unique_lock lock(mutex_);
    started_.wait(lock, [this] { return running_; });
}

PortWorker::~PortWorker() {
    requestStop();
    thread_.join();
    closeDevice();
}

void PortWorker::requestStop() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    device_->wake();
}

bool PortWorker::stopRequested() { return stopRequested_.load(); }

// A wedged adapter must not hold the window thread: what the driver has not sent by then is thrown away, so
// that closing the device has nothing left to wait for.
void PortWorker::closeDevice() {
    const auto until = now() + kCloseDrain;
    while (!device_->gone() && now() < until) {
        const auto pending = device_->pendingOutput();
        if (!pending || *pending == 0) break;
        device_->wait(std::min(10, remainingMs(until)), false, false);
    }
    device_->discardOutput();
    device_.reset();
}

bool PortWorker::write(const Bytes& bytes, const std::function<void()>& whileWaiting) {
    if (device_->gone() || stopRequested()) return false;
    std::unique_lock lock(mutex_);
    sendBuffer_ = &bytes;
    writeFinished_ = false;
    sent_.store(0);
    lock.unlock();
    device_->wake();
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

void PortWorker::noteIfGone() {
    if (goneTold_ || !device_->gone()) return;
    goneTold_ = true;
    const QueueEntry entry{QueueEntry::Type::DeviceGone, 0};
    queue_->append(&entry, 1);
}

void PortWorker::run() {
    device_->start();
    {
        std::lock_guard lock(mutex_);
        running_ = true;
    }
    started_.notify_all();
    while (waitOnce()) {
    }
    device_->finish();
}

// One round: wait for the first of stop, I/O and write request, and handle them in that order.
bool PortWorker::waitOnce() {
    // A stop seen (and its wake taken) inside a write must not leave the wait below without an end.
    if (stopRequested()) return false;
    const bool gone = device_->gone();
    const bool sampleLines = device_->watchesLines() && !gone;
    const bool resting = !gone && now() < restUntil_;
    int timeout = sampleLines ? kLineSampleMs : -1;
    if (resting) timeout = std::max(1, remainingMs(restUntil_));
    device_->wait(timeout, !gone && !resting, false);

    const Bytes* request = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (stopRequested_) return false;
        if (!writeFinished_) request = sendBuffer_;
    }

    if (sampleLines) {
        std::vector<QueueEntry> events;
        device_->lineEvents(events);
        if (!events.empty()) queue_->append(events.data(), events.size());
    }
    if (!gone && !resting) {
        const std::size_t taken = readAvailable();
        if (taken > 0 && taken < kTrickleBytes) restUntil_ = now() + kTrickleRest;
    }

    if (request) {
        const bool ok = performWrite(*request);
        std::lock_guard lock(mutex_);
        writeResult_ = ok;
        writeFinished_ = true;
        sendBuffer_ = nullptr;
        writeDone_.notify_all();
    }
    return true;
}

std::size_t PortWorker::readAvailable() {
    std::uint8_t buffer[4096];
    std::vector<QueueEntry> entries;
    std::size_t taken = 0;
    while (taken < kMostReadAtOnce) {
        entries.clear();
        const std::size_t n = device_->read(buffer, sizeof buffer, entries);
        if (n > 0 && options_.eventChar && std::memchr(buffer, *options_.eventChar, n))
            entries.push_back(status(7));
        for (std::size_t i = 0; i < n; ++i) entries.push_back({QueueEntry::Type::Byte, buffer[i]});
        if (!entries.empty()) queue_->append(entries.data(), entries.size());
        taken += n;
        if (n == 0) break;
    }
    noteIfGone();
    return taken;
}

bool PortWorker::performWrite(const Bytes& bytes) {
    // What has arrived is taken in before the purge, so that the purge cannot cut a report from the machine.
    device_->settleInput();
    readAvailable();
    if (device_->gone()) return false;
    device_->purge();
    const bool limited = options_.timeoutMs > 0;
    const auto deadline = now() + milliseconds(writeTimeLimitMs(options_.timeoutMs, bytes.size()));
    StallWatch stall(options_.timeoutMs, options_.baudRate, *options_.clock);

    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto taken = device_->write(bytes.data() + done, bytes.size() - done);
        if (!taken) {
            noteIfGone();
            device_->discardOutput();
            return false;
        }
        done += *taken;
        if (*taken > 0) continue;
        // The driver has no room: wait for it, taking in what arrives meanwhile.
        const std::size_t pending = device_->pendingOutput().value_or(0);
        sent_.store(done > pending ? done - pending : 0);
        const auto until = stall.limit(deadline, sent_.load(), done);
        if (stopRequested() || (limited && remainingMs(until) == 0)) {
            device_->discardOutput();
            return false;
        }
        device_->wait(limited ? remainingMs(until) : -1, true, true);
        readAvailable();
        if (device_->gone()) return false;
    }
    return waitForTransmitter(bytes.size(), deadline, limited, stall);
}

bool PortWorker::waitForTransmitter(std::size_t total, Clock::time_point deadline, bool limited,
                                    StallWatch& stall) {
    const long long bytesPerSecond = std::max(1, options_.baudRate / 10);
    for (;;) {
        const auto queued = device_->pendingOutput();
        if (!queued) {
            noteIfGone();
            return false;
        }
        if (*queued == 0) break;
        sent_.store(total > *queued ? total - *queued : 0);
        const auto until = stall.limit(deadline, sent_.load(), total);
        if (stopRequested() || (limited && remainingMs(until) == 0)) {
            device_->discardOutput();
            return false;
        }
        long long ms = std::clamp<long long>(static_cast<long long>(*queued) * 1000 / bytesPerSecond, 1, 20);
        if (limited) ms = std::min<long long>(ms, remainingMs(until));
        device_->wait(static_cast<int>(ms), true, false);
        readAvailable();
        if (device_->gone()) return false;
    }
    sent_.store(total);
    return true;
}

}  // namespace tessary::link
