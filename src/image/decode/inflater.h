// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A zlib stream's decoder for the PNG fast path. Photographs compress into data that is nearly all literals,
// which zlib's inflate decodes one at a time through 32-bit refills; this one refills 64 bits at once and
// takes two table-decoded literals per refill, which makes the inflating thread, the slower of the two,
// nearly twice as fast. It accepts and refuses what zlib's inflate does for such streams (a preset dictionary
// is refused; distances are checked against the data decoded so far), and its Adler-32 check may be done
// elsewhere: it checks only the bytes it was not asked for.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tessary::image::decode {

class Inflater {
  public:
    // Puts up to `room` further bytes of the compressed stream at `to`: how many, 0 at the end of the data,
    // -1 on a fault. The inflater reads ahead, so a fault past the stream's end does not fail it.
    using Pull = std::function<long(std::uint8_t* to, std::size_t room)>;
    explicit Inflater(Pull pull);

    // Exactly `bytes` bytes of the decompressed stream; false on a fault or when the stream ends first.
    bool read(std::uint8_t* out, std::size_t bytes);
    // Decodes the rest of the stream (nothing more is read once it ends); false on a fault. Then the stream's
    // Adler-32 value must be that of the bytes read, followed by the rest: adler32_combine(readAdler,
    // restAdler(), restLength()).
    bool finish();
    std::uint32_t storedAdler() const { return storedAdler_; }
    std::uint32_t restAdler() const { return restAdler_; }
    std::uint64_t restLength() const { return restLength_; }

    // Bytes of compressed data up to the stream's end (after finish).
    std::uint64_t endOffset() const;

    struct Table {
        std::vector<std::uint32_t> entries;
        unsigned bits = 0;
    };

  private:
    enum class State { Header, BlockHeader, Stored, Huffman, End, Failed };
    bool decodeMore();
    bool more();  // more input, unless the data has ended
    bool fillBits();
    bool overread() const;
    void toByteBoundary();
    bool bytesAvailable(std::size_t n);
    bool zlibHeader();
    bool blockHeader();
    bool dynamicTables();
    bool stored(std::size_t limit);
    bool huffman(std::size_t limit);
    bool trailer();

    Pull pull_;
    std::vector<std::uint8_t> in_;
    std::size_t at_ = 0;    // next byte of in_ not yet in the bit buffer
    std::size_t have_ = 0;  // bytes of in_ that are data; zeros follow
    bool drained_ = false;  // the pull gave its last byte
    std::uint64_t pulled_ = 0;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;  // valid bits in bits_

    std::vector<std::uint8_t> window_;
    std::size_t out_ = 0;       // end of the decoded bytes in window_
    std::size_t given_ = 0;     // bytes of window_ handed out or counted in the rest
    std::uint64_t before_ = 0;  // bytes decoded before window_[0]

    State state_ = State::Header;
    bool last_ = false;
    std::uint32_t storedLeft_ = 0;
    Table litlen_, dist_;
    const Table* literals_ = nullptr;
    const Table* distances_ = nullptr;
    std::uint32_t storedAdler_ = 0;
    std::uint32_t restAdler_ = 1;
    std::uint64_t restLength_ = 0;
};

}  // namespace tessary::image::decode
