// SPDX-License-Identifier: GPL-3.0-or-later
// The PNG fast path's inflater against zlib: the same bytes for what zlib's deflate writes, whatever the
// pieces the data comes in and the reads ask for, and a refusal for what zlib's inflate refuses.
#include "image/decode/inflater.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace tessary::image::decode {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes deflated(const Bytes& raw, int level, int strategy) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy);
    Bytes out(deflateBound(&z, static_cast<uLong>(raw.size())));
    z.next_in = const_cast<Bytef*>(raw.data());
    z.avail_in = static_cast<uInt>(raw.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Reads `wanted` bytes in reads of `read` bytes, the stream coming in pieces of `piece` bytes, then
// finishes it; true when all of that succeeds and the check value holds.
bool inflate(const Bytes& stream, std::size_t piece, std::size_t read, std::size_t wanted, Bytes& out) {
    std::size_t at = 0;
    Inflater inflater([&](std::uint8_t* to, std::size_t room) -> long {
        const std::size_t n = std::min({room, piece, stream.size() - at});
        std::memcpy(to, stream.data() + at, n);
        at += n;
        return static_cast<long>(n);
    });
    out.assign(wanted, 0);
    for (std::size_t done = 0; done < wanted; done += read)
        if (!inflater.read(out.data() + done, std::min(read, wanted - done))) return false;
    const uLong adler = adler32(adler32(0, nullptr, 0), out.data(), static_cast<uInt>(wanted));
    return inflater.finish() &&
           adler32_combine(adler, inflater.restAdler(), static_cast<z_off_t>(inflater.restLength())) ==
               inflater.storedAdler();
}

TEST(Inflater, GivesZlibsBytes) {
    std::mt19937 random(7);
    Bytes noise(400'000), text(400'000), runs(400'000);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    for (auto& b : text) b = static_cast<std::uint8_t>('a' + random() % 5);
    for (std::size_t i = 0; i < runs.size(); ++i)
        runs[i] = static_cast<std::uint8_t>(i / 1000 + (i % 7 == 0));
    struct Case {
        const Bytes* raw;
        int level, strategy;
        std::size_t piece, read, keep;  // keep: bytes left unread for finish() to check
    };
    const Case cases[] = {
        {&noise, 6, Z_DEFAULT_STRATEGY, 65536, 18001, 0},  // mostly literals, as a photograph's rows
        {&text, 9, Z_DEFAULT_STRATEGY, 1, 7, 0},           // a byte at a time
        {&runs, 6, Z_RLE, 33, 100000, 0},                  // short distances, overlapping copies
        {&text, 1, Z_FIXED, 4096, 1, 3},                   // the fixed code
        {&noise, 0, Z_DEFAULT_STRATEGY, 5000, 65535, 0},   // stored blocks
        {&text, 6, Z_HUFFMAN_ONLY, 65536, 18001, 40000},   // more bytes than the reads take
    };
    for (const Case& c : cases) {
        const Bytes stream = deflated(*c.raw, c.level, c.strategy);
        Bytes out;
        ASSERT_TRUE(inflate(stream, c.piece, c.read, c.raw->size() - c.keep, out))
            << "level " << c.level << " strategy " << c.strategy;
        EXPECT_TRUE(std::equal(out.begin(), out.end(), c.raw->begin())) << "level " << c.level;
    }
}

TEST(Inflater, RefusesWhatZlibRefuses) {
    const Bytes raw(5000, 'x');
    const Bytes good = deflated(raw, 6, Z_DEFAULT_STRATEGY);
    // Streams of a stored block (header 78 01, then 01 = last and stored) and of hand-made fixed blocks.
    const Bytes stored = {0x78, 0x01, 0x01, 0x03, 0x00, 0xfc, 0xff, 'a', 'b', 'c', 0x02, 0x4d, 0x01, 0x27};
    struct Case {
        const char* what;
        Bytes stream;
        std::size_t wanted;
    };
    const Case cases[] = {
        {"the whole stream", good, raw.size()},  // the control: accepted
        {"cut short", Bytes(good.begin(), good.end() - 6), raw.size()},
        {"wrong check value",
         [&] {
             Bytes b = good;
             b.back() ^= 1;
             return b;
         }(),
         raw.size()},
        {"a preset dictionary",
         [&] {
             Bytes b = stored;
             b[1] = 0x20 | 0x1f;
             b[1] -= (0x78 * 256 + b[1]) % 31;
             return b;
         }(),
         3},
        {"not deflate",
         [&] {
             Bytes b = stored;
             b[0] = 0x79;
             return b;
         }(),
         3},
        {"stored length and its complement disagree",
         [&] {
             Bytes b = stored;
             b[5] = 0xfd;
             return b;
         }(),
         3},
        {"block type 3", {0x78, 0x01, 0x07, 0x00}, 1},
        // Fixed code: literal 'a', then length 3 at distance 2 with only one byte decoded.
        {"a distance before the data", {0x78, 0x01, 0x4b, 0x04, 0x42, 0x00, 0x00}, 4},
        {"more wanted than the stream holds", good, raw.size() + 1},
    };
    for (const Case& c : cases) {
        Bytes out;
        const bool accepted = inflate(c.stream, 64, 1000, c.wanted, out);
        const bool control = std::string(c.what) == "the whole stream";
        EXPECT_EQ(accepted, control) << c.what;
    }
    Bytes out;
    EXPECT_TRUE(inflate(stored, 1, 1, 3, out) && out == Bytes({'a', 'b', 'c'}));
}

}  // namespace
}  // namespace tessary::image::decode
