// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A PNG's image data, the contents of its IDAT chunks, inflated. The chunks are read and their CRCs
// checked (as libpng does for a critical chunk) on a thread of their own, ahead of the inflating thread,
// which is the slowest part of the PNG fast path. The stream's Adler-32 value is checked by the caller,
// over the bytes it was given.
#include <zlib.h>

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "image/decode/inflater.h"

namespace tessary::image::decode {

class IdatStream {
  public:
    // The file stands just after the header of the first IDAT chunk, `firstLength` bytes long.
    IdatStream(std::FILE* file, std::uint32_t firstLength);
    ~IdatStream();
    IdatStream(const IdatStream&) = delete;
    IdatStream& operator=(const IdatStream&) = delete;

    // Exactly `bytes` bytes of the stream; false on any fault or a stream that ends first.
    bool read(std::uint8_t* out, std::size_t bytes) { return inflater_.read(out, bytes); }
    // After the last row: the stream must end, and the chunk holding its end must carry a good CRC.
    bool finish();
    // Whether the stream's check value is that of the bytes read (`adler`) followed by the rest.
    bool adlerMatches(uLong adler) const;

  private:
    enum class Crc { Unchecked, Good, Bad };
    struct Chunk {
        std::uint64_t start;  // where its data begins in the stream
        Crc crc;
    };
    struct Block {
        std::vector<std::uint8_t> bytes;
        std::size_t length = 0;
    };

    long pull(std::uint8_t* to, std::size_t room);  // for the inflater
    long readData(std::uint8_t* to, std::size_t room);
    long take(std::uint8_t* to, std::size_t room);
    void checkCrc();
    void readAhead();
    void stopReading();

    std::FILE* file_;
    std::uint32_t chunkLeft_;  // bytes of the current chunk not yet read from the file
    uLong crcValue_ = 0;       // of the current chunk's bytes so far
    std::uint64_t delivered_ = 0;
    std::vector<Chunk> chunks_;

    // Blocks of data handed from the reading thread to the inflating one.
    std::vector<Block> blocks_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t filled_ = 0;  // blocks published
    std::uint64_t taken_ = 0;   // blocks used up
    long end_ = 1;              // after the last block: 0 the data ended, -1 a fault; 1 more to come
    bool stop_ = false;
    bool readerWaits_ = false;    // the reading thread sleeps until blocks are free
    bool inflaterWaits_ = false;  // the inflating thread sleeps until a block is filled
    std::size_t at_ = 0;          // in the block being taken
    bool started_ = false;
    std::thread reader_;

    Inflater inflater_;
};

}  // namespace tessary::image::decode
