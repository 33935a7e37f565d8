// SPDX-License-Identifier: GPL-3.0-or-later
#include "virtual_engraver/engraver.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace tessary::virtual_engraver {
namespace {

using engrave::Message;

// Above this much unsent output the console is not reading: --fast waits, a paced head drops reports.
constexpr std::size_t kOutputLimit = 4096;
constexpr std::chrono::milliseconds kLineCheck{50};
// A paced line is read in pieces of this size, as a UART's FIFO or one USB packet hands them on; the line
// holds no more than this when the engraver has been slow to read.
constexpr double kLinePiece = 32;

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t b : bytes) {
        char part[4];
        std::snprintf(part, sizeof part, "%s%02X", text.empty() ? "" : " ", b);
        text += part;
    }
    return text;
}

std::string hexByte(int byte) {
    const std::uint8_t b = static_cast<std::uint8_t>(byte);
    return hexBytes(std::span<const std::uint8_t>(&b, 1));
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

Engraver::Engraver(const Options& options, int master, std::string outDir, std::FILE* log)
    : options_(options),
      master_(master),
      outDir_(std::move(outDir)),
      log_(log),
      stream_(options.timeoutMs),
      machine_(options.jogStep) {}

Millis Engraver::millis(Clock::time_point t) const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t - started_).count();
}

void Engraver::say(const std::string& line) {
    const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    std::fprintf(log_, "[%9.3f] %s\n", seconds, line.c_str());
    std::fflush(log_);
}

void Engraver::run(int stopFd) {
    checkLine();
    for (;;) {
        const Clock::time_point now = Clock::now();
        Clock::time_point wake = now + std::chrono::hours(1);
        if (const auto due = stream_.deadline()) {
            wake = std::min(wake, started_ + std::chrono::milliseconds(*due));
        }
        if (!lineUp_) wake = std::min(wake, now + kLineCheck);
        if (machine_.moving() && !options_.fast) wake = std::min(wake, nextReport_);
        const bool mayRead = readAllowance(now) > 0;
        if (!mayRead) wake = std::min(wake, nextReadDue(now));

        pollfd fds[2] = {{stopFd, POLLIN, 0},
                         {lineUp_ ? master_ : -1, static_cast<short>(mayRead ? POLLIN : 0), 0}};
        if (!pending_.empty() || (options_.fast && machine_.moving())) fds[1].events |= POLLOUT;
        const auto waitMs =
            std::chrono::ceil<std::chrono::milliseconds>(std::max(wake - now, Clock::duration{}));
        const int ready = ::poll(fds, 2, static_cast<int>(std::min<std::int64_t>(waitMs.count(), 3600000)));
        if (ready < 0 && errno != EINTR) {
            say("poll failed, stopping");
            return;
        }
        if (ready > 0 && (fds[0].revents & POLLIN) != 0) return;

        const Clock::time_point after = Clock::now();
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) readInput(after);
        if (fds[1].revents & (POLLHUP | POLLERR)) lineClosed();
        if (!lineUp_) checkLine();
        for (Received& r : stream_.expire(millis(Clock::now()))) handle(std::move(r));
        produceReports(Clock::now());
        writeOutput();
    }
}

void Engraver::checkLine() {
    pollfd fd{master_, POLLIN, 0};
    if (::poll(&fd, 1, 0) < 0) return;
    const bool up = (fd.revents & POLLHUP) == 0;
    if (up && !lineUp_) {
        lineUp_ = true;
        say("line opened by the console");
    }
    // What a console wrote before closing again is still read.
    if ((fd.revents & POLLIN) != 0 && readAllowance(Clock::now()) > 0) readInput(Clock::now());
    if (!up) lineClosed();
}

void Engraver::lineClosed() {
    if (!lineUp_) return;
    lineUp_ = false;
    pending_.clear();
    say("line closed");
}

std::size_t Engraver::readAllowance(Clock::time_point now) {
    if (options_.baud <= 0) return SIZE_MAX;
    const double rate = options_.baud / 10.0;
    lineCredit_ =
        std::min(kLinePiece, lineCredit_ + std::chrono::duration<double>(now - creditAt_).count() * rate);
    creditAt_ = now;
    return lineCredit_ >= kLinePiece / 2 ? static_cast<std::size_t>(lineCredit_) : 0;
}

Engraver::Clock::time_point Engraver::nextReadDue(Clock::time_point now) {
    const double seconds = (kLinePiece / 2 - lineCredit_) / (options_.baud / 10.0);
    return now +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::max(seconds, 0.0)));
}

void Engraver::readInput(Clock::time_point now) {
    std::uint8_t buffer[65536];
    for (;;) {
        const std::size_t allowed = std::min(readAllowance(now), sizeof buffer);
        if (allowed == 0) return;
        const ssize_t n = ::read(master_, buffer, allowed);
        if (n > 0) {
            if (options_.baud > 0) lineCredit_ -= static_cast<double>(n);
            for (Received& r : stream_.feed(std::span(buffer, static_cast<std::size_t>(n)), millis(now))) {
                handle(std::move(r));
            }
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // EIO: the last holder of the slave closed it.
        if (n < 0 && errno == EIO) lineClosed();
        return;
    }
}

void Engraver::handle(Received r) {
    using Kind = Received::Kind;
    switch (r.kind) {
        case Kind::Command: {
            const auto& spec = engrave::specOf(r.message);
            say(hexBytes(spec.bytes) + " " + std::string(spec.name) + ": " + machine_.apply(r.message));
            break;
        }
        case Kind::StepPulse:
            say("FA " + hexByte(r.value) + " Set motor step pulse " + std::to_string(r.value));
            break;
        case Kind::BurningTime:
            say(hexByte(r.value) + " Burning time " + std::to_string(r.value));
            break;
        case Kind::Erase:
            say("FE x8 Erase last image: " + machine_.erase());
            break;
        case Kind::PartialErase:
            say("FE x" + std::to_string(r.value) + " incomplete erase burst, ignored");
            break;
        case Kind::Image: {
            const WireImage& image = *r.image;
            const std::string head = "image " + std::to_string(image.fileSize()) + " bytes, " +
                                     std::to_string(r.value) + " ms after the erase burst";
            const std::string saved = saveImage(image);
            say(head + ": " + machine_.load(std::move(*r.image)) + ", " + saved);
            break;
        }
        case Kind::ImageRefused:
            say("image refused (" + r.detail + "), dropping bytes until the line is quiet");
            break;
        case Kind::ImageIncomplete:
            say("image incomplete: " + std::to_string(r.value) + " of " + r.detail + " bytes, dropped");
            break;
        case Kind::Dropped:
            say("dropped " + std::to_string(r.value) + " bytes, listening again");
            break;
        case Kind::Unexpected:
            say(hexByte(r.value) + " unexpected byte, " + r.detail);
            break;
    }
}

std::string Engraver::saveImage(const WireImage& image) {
    std::string stem;
    for (int n = 1;; ++n) {
        stem = outDir_ + "/image-" + std::to_string(n);
        imageNumber_ = n;
        if (!exists(stem + ".png") && !exists(stem + ".bmp")) break;
    }
    std::string problem;
    if (!writePng(image, stem + ".png", problem)) return "not saved: " + problem;
    if (options_.keepBmp && !writeBmp(image, stem + ".bmp", problem))
        return "saved " + stem + ".png, " + problem;
    return "saved " + stem + ".png" + (options_.keepBmp ? " and " + stem + ".bmp" : "");
}

std::string Engraver::saveBurn() {
    if (!machine_.burnt()) return {};
    const std::string path = outDir_ + "/burn-" + std::to_string(imageNumber_) + ".png";
    std::string problem;
    return writePng(*machine_.burnt(), path, problem) ? ", burnt pixels saved as " + path : ", " + problem;
}

void Engraver::produceReports(Clock::time_point now) {
    const bool moving = machine_.moving();
    if (moving && !wasMoving_) nextReport_ = now;
    wasMoving_ = moving;
    const auto period =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / options_.pace));
    // A head that fell far behind (the process was stopped) does not make up for it in one burst.
    if (now - nextReport_ > std::chrono::milliseconds(200)) nextReport_ = now;

    while (machine_.moving()) {
        if (options_.fast) {
            if (!lineUp_ || pending_.size() >= kOutputLimit) break;
        } else {
            if (nextReport_ > now) break;
            nextReport_ += period;
        }
        const auto point = machine_.next();
        if (!point) break;
        const auto report = engrave::encodeReport(*point);
        if (!report) continue;
        if (!lineUp_) continue;
        if (pending_.size() >= kOutputLimit) {
            ++droppedReports_;
            continue;
        }
        pending_.insert(pending_.end(), report->begin(), report->end());
    }
    if (const auto note = machine_.takeNote()) {
        say(*note +
            (droppedReports_ > 0 ? ", " + std::to_string(droppedReports_) + " not read by the console" : "") +
            saveBurn());
        droppedReports_ = 0;
    }
    wasMoving_ = machine_.moving();
}

void Engraver::writeOutput() {
    while (lineUp_ && !pending_.empty()) {
        const ssize_t n = ::write(master_, pending_.data(), pending_.size());
        if (n > 0) {
            pending_.erase(pending_.begin(), pending_.begin() + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EIO) lineClosed();
        return;
    }
}

}  // namespace tessary::virtual_engraver
