// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/decode/idat_stream.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace tessary::image::decode {
namespace {

constexpr std::uint32_t kMaxChunkLength = 0x7fffffff;
constexpr std::size_t kBlocks = 8;
constexpr std::size_t kBlockBytes = 64 * 1024;
// A reading thread that found every block full sleeps until this many are free again, so that it is woken
// once for several blocks: each wake costs a system call, and under wine a round trip to its server.
constexpr std::size_t kRefillBlocks = kBlocks / 2;

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

IdatStream::IdatStream(std::FILE* file, std::uint32_t firstLength)
    : file_(file),
      chunkLeft_(firstLength),
      crcValue_(crc32(0, reinterpret_cast<const Bytef*>("IDAT"), 4)),
      chunks_{{0, Crc::Unchecked}},
      blocks_(kBlocks),
      inflater_([this](std::uint8_t* to, std::size_t room) { return pull(to, room); }) {
    for (Block& block : blocks_) block.bytes.resize(kBlockBytes);
}

IdatStream::~IdatStream() { stopReading(); }

void IdatStream::checkCrc() {
    std::uint8_t stored[4];
    const bool good =
        std::fread(stored, 1, 4, file_) == 4 && be32(stored) == static_cast<std::uint32_t>(crcValue_);
    chunks_.back().crc = good ? Crc::Good : Crc::Bad;
}

// Up to `room` bytes of the current chunk, folded into its CRC.
long IdatStream::take(std::uint8_t* to, std::size_t room) {
    const std::size_t want = std::min<std::size_t>(room, chunkLeft_);
    if (std::fread(to, 1, want, file_) != want) return -1;
    crcValue_ = crc32(crcValue_, to, static_cast<uInt>(want));
    chunkLeft_ -= static_cast<std::uint32_t>(want);
    delivered_ += want;
    return static_cast<long>(want);
}

// The next data from the file: a chunk's CRC is checked before the next chunk is read, and a chunk other
// than IDAT ends the data.
long IdatStream::readData(std::uint8_t* to, std::size_t room) {
    while (chunkLeft_ == 0) {
        if (chunks_.back().crc == Crc::Unchecked) checkCrc();
        if (chunks_.back().crc == Crc::Bad) return -1;
        std::uint8_t head[8];
        if (std::fread(head, 1, 8, file_) != 8 || std::memcmp(head + 4, "IDAT", 4) != 0) return 0;
        chunkLeft_ = be32(head);
        if (chunkLeft_ > kMaxChunkLength) return -1;
        crcValue_ = crc32(0, head + 4, 4);
        std::lock_guard lock(mutex_);
        chunks_.push_back({delivered_, Crc::Unchecked});
    }
    return take(to, room);
}

// The reading thread: fills blocks until the data ends or it is told to stop.
void IdatStream::readAhead() {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (filled_ - taken_ == kBlocks) {
                readerWaits_ = true;
                changed_.wait(lock, [&] { return stop_ || filled_ - taken_ <= kBlocks - kRefillBlocks; });
                readerWaits_ = false;
            }
            if (stop_) return;
        }
        Block& block = blocks_[filled_ % kBlocks];
        block.length = 0;
        long status = 1;
        while (block.length < kBlockBytes && status > 0) {
            status = readData(block.bytes.data() + block.length, kBlockBytes - block.length);
            if (status > 0) block.length += static_cast<std::size_t>(status);
        }
        std::lock_guard lock(mutex_);
        if (block.length > 0) ++filled_;
        if (status <= 0) end_ = status;
        if (inflaterWaits_) changed_.notify_all();
        if (status <= 0) return;
    }
}

long IdatStream::pull(std::uint8_t* to, std::size_t room) {
    if (!started_) {
        started_ = true;
        try {
            reader_ = std::thread([this] { readAhead(); });
        } catch (const std::system_error&) {
            // no thread to read on: this one reads
        }
    }
    if (!reader_.joinable()) return readData(to, room);
    std::unique_lock lock(mutex_);
    if (taken_ < filled_ && at_ == blocks_[taken_ % kBlocks].length) {
        ++taken_;
        at_ = 0;
        if (readerWaits_ && filled_ - taken_ <= kBlocks - kRefillBlocks) changed_.notify_all();
    }
    if (taken_ == filled_ && end_ == 1) {
        inflaterWaits_ = true;
        changed_.wait(lock, [&] { return taken_ < filled_ || end_ != 1; });
        inflaterWaits_ = false;
    }
    if (taken_ == filled_) return end_;
    const Block& block = blocks_[taken_ % kBlocks];
    lock.unlock();
    const std::size_t n = std::min(room, block.length - at_);
    std::memcpy(to, block.bytes.data() + at_, n);
    at_ += n;
    return static_cast<long>(n);
}

void IdatStream::stopReading() {
    if (!reader_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        changed_.notify_all();
    }
    reader_.join();
}

bool IdatStream::finish() {
    if (!inflater_.finish()) return false;
    stopReading();
    // The chunk holding the stream's last byte; read ahead, its CRC may have been checked already.
    const std::uint64_t last = inflater_.endOffset() - 1;
    const auto holding = std::prev(std::upper_bound(
        chunks_.begin(), chunks_.end(), last, [](std::uint64_t at, const Chunk& c) { return at < c.start; }));
    if (holding->crc != Crc::Unchecked) return holding->crc == Crc::Good;
    if (holding + 1 != chunks_.end()) return false;
    std::uint8_t scratch[4096];
    while (chunkLeft_ > 0)
        if (take(scratch, sizeof scratch) <= 0) return false;
    checkCrc();
    return chunks_.back().crc == Crc::Good;
}

bool IdatStream::adlerMatches(uLong adler) const {
    return adler32_combine(adler, inflater_.restAdler(), static_cast<z_off_t>(inflater_.restLength())) ==
           inflater_.storedAdler();
}

}  // namespace tessary::image::decode
