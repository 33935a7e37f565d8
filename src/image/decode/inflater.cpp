// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/decode/inflater.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace tessary::image::decode {
namespace {

constexpr std::size_t kInBytes = 64 * 1024;
constexpr std::size_t kPad = 64;  // zeros after the data, so that a refill may read 8 bytes anywhere
constexpr std::size_t kWindow = 32 * 1024;
constexpr std::size_t kSpan = 256 * 1024;  // decoded at a time
constexpr std::size_t kSlack = 258 + 16;   // a match begun before the span's end, copied 8 bytes at a time

// A table entry: bits 0-5 the bits its code takes (what a shift by the entry uses on x86), 8-11 the extra
// bits after the code (for a subtable: its index bits), 12-14 its kind, 16-31 its value (literal, base
// length or distance, subtable offset).
enum Kind : std::uint32_t { kLiteral, kLength, kEnd, kSub, kInvalid, kDistance };
constexpr std::uint32_t entry(std::uint32_t value, Kind kind, std::uint32_t extra) {
    return value << 16 | kind << 12 | extra << 8;
}
constexpr unsigned codeBits(std::uint32_t e) { return e & 63; }
constexpr Kind kindOf(std::uint32_t e) { return static_cast<Kind>((e >> 12) & 7); }
constexpr unsigned extraBits(std::uint32_t e) { return (e >> 8) & 15; }
constexpr std::uint32_t valueOf(std::uint32_t e) { return e >> 16; }

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                             33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

std::uint32_t literalEntry(unsigned symbol) {
    if (symbol < 256) return entry(symbol, kLiteral, 0);
    if (symbol == 256) return entry(0, kEnd, 0);
    if (symbol - 257 < 29) return entry(kLengthBase[symbol - 257], kLength, kLengthExtra[symbol - 257]);
    return entry(0, kInvalid, 0);
}
std::uint32_t distanceEntry(unsigned symbol) {
    return symbol < 30 ? entry(kDistanceBase[symbol], kDistance, kDistanceExtra[symbol])
                       : entry(0, kInvalid, 0);
}
std::uint32_t codeLengthEntry(unsigned symbol) { return entry(symbol, kLiteral, 0); }

// The decoding table of a canonical code, with zlib's rules: no lengths at all gives a table that decodes
// nothing; an over-subscribed set is refused, and so is an incomplete one, except a single code of one bit
// (never for the code-length code).
bool buildTable(const std::uint8_t* lengths, unsigned symbols, unsigned tableBits, bool codeLengths,
                std::uint32_t (*entryOf)(unsigned), Inflater::Table& table) {
    unsigned count[16] = {};
    for (unsigned s = 0; s < symbols; ++s) ++count[lengths[s]];
    count[0] = 0;
    unsigned longest = 0;
    for (unsigned l = 1; l < 16; ++l)
        if (count[l]) longest = l;
    table.bits = tableBits;
    int left = 1;
    for (unsigned l = 1; l < 16; ++l) {
        left = left * 2 - static_cast<int>(count[l]);
        if (left < 0) return false;
    }
    if (left > 0 && longest != 0 && (codeLengths || longest != 1)) return false;
    // A complete code without subtables fills every entry; otherwise the first table starts as decoding
    // nothing (and with no stale subtable in it).
    table.entries.resize(std::size_t{1} << tableBits);
    if (left > 0 || longest > tableBits)
        std::fill(table.entries.begin(), table.entries.end(), entry(0, kInvalid, 0));
    if (longest == 0) return true;
    unsigned next[16] = {};
    for (unsigned l = 1, code = 0; l < 16; ++l) {
        code = (code + count[l - 1]) << 1;
        next[l] = code;
    }
    const unsigned subBits = longest > tableBits ? longest - tableBits : 0;
    for (unsigned s = 0; s < symbols; ++s) {
        const unsigned l = lengths[s];
        if (l == 0) continue;
        unsigned code = next[l]++, reversed = 0;
        for (unsigned b = 0; b < l; ++b, code >>= 1) reversed = reversed << 1 | (code & 1);
        const std::uint32_t e = entryOf(s);
        if (l <= tableBits) {
            for (std::size_t i = reversed; i < (std::size_t{1} << tableBits); i += std::size_t{1} << l)
                table.entries[i] = e | l;
            continue;
        }
        const std::size_t prefix = reversed & ((1u << tableBits) - 1);
        if (kindOf(table.entries[prefix]) != kSub) {
            const auto at = static_cast<std::uint32_t>(table.entries.size());
            table.entries.resize(at + (std::size_t{1} << subBits), entry(0, kInvalid, 0));
            table.entries[prefix] = entry(at, kSub, subBits) | tableBits;
        }
        const std::size_t at = valueOf(table.entries[prefix]);
        for (std::size_t i = reversed >> tableBits; i < (std::size_t{1} << subBits);
             i += std::size_t{1} << (l - tableBits))
            table.entries[at + i] = e | (l - tableBits);
    }
    return true;
}

const Inflater::Table& fixedTable(bool distances) {
    static const auto tables = [] {
        std::pair<Inflater::Table, Inflater::Table> t;
        std::uint8_t lengths[288];
        std::fill(lengths, lengths + 144, 8);
        std::fill(lengths + 144, lengths + 256, 9);
        std::fill(lengths + 256, lengths + 280, 7);
        std::fill(lengths + 280, lengths + 288, 8);
        buildTable(lengths, 288, 9, false, literalEntry, t.first);
        std::fill(lengths, lengths + 32, 5);
        buildTable(lengths, 32, 5, false, distanceEntry, t.second);
        return t;
    }();
    return distances ? tables.second : tables.first;
}

std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}

// Tops the bit buffer up to 56..63 bits from in + at, which must have 8 bytes readable. Bits above `count`
// already hold the stream's next bits or zeros, so or-ing them in again changes nothing.
inline void refill(const std::uint8_t* in, std::size_t& at, std::uint64_t& bits, unsigned& count) {
    bits |= load64(in + at) << count;
    at += (63 - count) >> 3;
    count |= 56;
}

// The entry for the next code of the table; its code's bits, and a subtable's index bits, are consumed.
inline std::uint32_t decodeEntry(const std::uint32_t* entries, unsigned tableBits, std::uint64_t& bits,
                                 unsigned& count) {
    std::uint32_t e = entries[bits & ((std::uint64_t{1} << tableBits) - 1)];
    if (kindOf(e) == kSub) {
        bits >>= tableBits;
        count -= tableBits;
        e = entries[valueOf(e) + (bits & ((std::uint64_t{1} << extraBits(e)) - 1))];
    }
    bits >>= codeBits(e);
    count -= codeBits(e);
    return e;
}

inline std::uint32_t takeBits(std::uint64_t& bits, unsigned& count, unsigned n) {
    const auto v = static_cast<std::uint32_t>(bits & ((std::uint64_t{1} << n) - 1));
    bits >>= n;
    count -= n;
    return v;
}

}  // namespace

Inflater::Inflater(Pull pull)
    : pull_(std::move(pull)), in_(kInBytes + kPad, 0), window_(kWindow + kSpan + kSlack, 0) {}

bool Inflater::more() {
    // The bytes whose bits are in the bit buffer stay, so that a byte boundary can be found again.
    const std::size_t keep = std::min<std::size_t>(at_, 8);
    std::memmove(in_.data(), in_.data() + at_ - keep, have_ - at_ + keep);
    have_ -= at_ - keep;
    at_ = keep;
    if (!drained_ && have_ < kInBytes) {
        // A fault of the source ends the data: it matters only if the stream needs what lies beyond.
        const long got = std::max(0L, pull_(in_.data() + have_, kInBytes - have_));
        if (got == 0) drained_ = true;
        have_ += static_cast<std::size_t>(got);
        pulled_ += static_cast<std::uint64_t>(got);
    }
    std::fill(in_.data() + have_, in_.data() + have_ + kPad, 0);
    return true;
}

bool Inflater::fillBits() {
    while (at_ + 16 > have_ && !drained_)
        if (!more()) return false;
    if (at_ + 8 > have_ + kPad) return false;
    refill(in_.data(), at_, bits_, count_);
    return true;
}

bool Inflater::overread() const { return drained_ && at_ * 8 > have_ * 8 + count_; }

// The bit buffer given back to the input at a byte boundary, for the byte-wise parts of the stream.
void Inflater::toByteBoundary() {
    bits_ >>= count_ % 8;
    count_ -= count_ % 8;
    at_ -= count_ / 8;
    bits_ = 0;
    count_ = 0;
}

bool Inflater::bytesAvailable(std::size_t n) {
    while (have_ - at_ < n && !drained_)
        if (!more()) return false;
    return have_ - at_ >= n;
}

bool Inflater::zlibHeader() {
    if (!bytesAvailable(2)) return false;
    const unsigned cmf = in_[at_], flg = in_[at_ + 1];
    at_ += 2;
    // Deflate with a window of at most 32 KiB, a valid check, no preset dictionary.
    return (cmf & 15) == 8 && (cmf >> 4) <= 7 && (cmf * 256 + flg) % 31 == 0 && !(flg & 0x20);
}

bool Inflater::blockHeader() {
    if (!fillBits()) return false;
    last_ = takeBits(bits_, count_, 1) != 0;
    switch (takeBits(bits_, count_, 2)) {
        case 0: {
            toByteBoundary();
            if (!bytesAvailable(4)) return false;
            const unsigned length = in_[at_] | in_[at_ + 1] << 8, check = in_[at_ + 2] | in_[at_ + 3] << 8;
            if (length != (~check & 0xffff)) return false;
            at_ += 4;
            storedLeft_ = length;
            state_ = State::Stored;
            return true;
        }
        case 1:
            literals_ = &fixedTable(false);
            distances_ = &fixedTable(true);
            state_ = State::Huffman;
            return !overread();
        case 2:
            if (!dynamicTables()) return false;
            literals_ = &litlen_;
            distances_ = &dist_;
            state_ = State::Huffman;
            return !overread();
        default:
            return false;
    }
}

bool Inflater::dynamicTables() {
    static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                11, 4,  12, 3, 13, 2, 14, 1, 15};
    if (!fillBits()) return false;
    const unsigned literals = takeBits(bits_, count_, 5) + 257, distances = takeBits(bits_, count_, 5) + 1,
                   codes = takeBits(bits_, count_, 4) + 4;
    if (literals > 286 || distances > 30) return false;
    std::uint8_t lengths[286 + 30] = {};
    for (unsigned i = 0; i < codes; ++i) {
        if (count_ < 3 && !fillBits()) return false;
        lengths[kOrder[i]] = static_cast<std::uint8_t>(takeBits(bits_, count_, 3));
    }
    Table codeLengths;
    if (!buildTable(lengths, 19, 7, true, codeLengthEntry, codeLengths)) return false;
    std::fill(lengths, lengths + 19, 0);
    for (unsigned i = 0; i < literals + distances;) {
        if (!fillBits()) return false;
        const std::uint32_t e = decodeEntry(codeLengths.entries.data(), codeLengths.bits, bits_, count_);
        if (kindOf(e) != kLiteral) return false;
        const unsigned symbol = valueOf(e);
        if (symbol < 16) {
            lengths[i++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        unsigned repeat = 0;
        std::uint8_t value = 0;
        if (symbol == 16) {
            if (i == 0) return false;
            value = lengths[i - 1];
            repeat = 3 + takeBits(bits_, count_, 2);
        } else {
            repeat = symbol == 17 ? 3 + takeBits(bits_, count_, 3) : 11 + takeBits(bits_, count_, 7);
        }
        if (i + repeat > literals + distances) return false;
        std::fill(lengths + i, lengths + i + repeat, value);
        i += repeat;
    }
    if (lengths[256] == 0) return false;  // no end-of-block code
    return buildTable(lengths, literals, 11, false, literalEntry, litlen_) &&
           buildTable(lengths + literals, distances, 8, false, distanceEntry, dist_);
}

bool Inflater::stored(std::size_t limit) {
    while (storedLeft_ > 0 && out_ < limit) {
        if (at_ == have_) {
            if (drained_ || !more()) return false;
            continue;
        }
        const std::size_t n = std::min({static_cast<std::size_t>(storedLeft_), have_ - at_, limit - out_});
        std::memcpy(window_.data() + out_, in_.data() + at_, n);
        at_ += n;
        out_ += n;
        storedLeft_ -= static_cast<std::uint32_t>(n);
    }
    if (storedLeft_ == 0) state_ = State::BlockHeader;
    return true;
}

bool Inflater::huffman(std::size_t limit) {
    // Everything the loop uses in locals: its stores of bytes could otherwise alias any member.
    const std::uint32_t* const lit = literals_->entries.data();
    const unsigned litBits = literals_->bits;
    const std::uint64_t litMask = (std::uint64_t{1} << litBits) - 1;
    const std::uint32_t* const dist = distances_->entries.data();
    const unsigned distBits = distances_->bits;
    std::uint8_t* const window = window_.data();
    const std::uint64_t before = before_;
    const std::uint8_t* in = in_.data();
    std::size_t have = have_, at = at_, out = out_;
    std::uint64_t bits = bits_;
    unsigned count = count_;
    // The bit buffer topped up to 56 bits or more; near the end of the buffered data, more of it, or past
    // its end the zeros, checked each time.
    auto topUp = [&] {
        if (at + 16 > have) {
            at_ = at;
            count_ = count;
            bits_ = bits;
            bool ok = true;
            while (at_ + 16 > have_ && !drained_ && ok) ok = more();
            at = at_;
            have = have_;
            in = in_.data();
            if (!ok || (drained_ && (at + 8 > have + kPad || overread()))) return false;
        }
        refill(in, at, bits, count);
        return true;
    };
    auto consume = [&](std::uint32_t e) {
        bits >>= codeBits(e);
        count -= codeBits(e);
    };
    bool ok = topUp();
    std::uint32_t e = lit[bits & litMask];
    while (ok && out < limit) {
        if (kindOf(e) == kLiteral) {
            // Up to three literals from one refill (33 bits at most), while their codes are in the first
            // table; the next entry is looked up before the refill, which leaves the low bits as they are.
            consume(e);
            window[out++] = static_cast<std::uint8_t>(valueOf(e));
            e = lit[bits & litMask];
            if (kindOf(e) == kLiteral && out < limit) {
                consume(e);
                window[out++] = static_cast<std::uint8_t>(valueOf(e));
                e = lit[bits & litMask];
                if (kindOf(e) == kLiteral && out < limit) {
                    consume(e);
                    window[out++] = static_cast<std::uint8_t>(valueOf(e));
                    e = lit[bits & litMask];
                }
            }
            ok = topUp();
            continue;
        }
        if (kindOf(e) == kSub) {
            bits >>= litBits;
            count -= litBits;
            e = lit[valueOf(e) + (bits & ((std::uint64_t{1} << extraBits(e)) - 1))];
        }
        consume(e);
        if (kindOf(e) == kLiteral) {
            window[out++] = static_cast<std::uint8_t>(valueOf(e));
        } else if (kindOf(e) == kEnd) {
            state_ = State::BlockHeader;
            break;
        } else if (kindOf(e) != kLength) {
            ok = false;
            break;
        } else {
            const std::size_t length = valueOf(e) + takeBits(bits, count, extraBits(e));
            const std::uint32_t d = decodeEntry(dist, distBits, bits, count);
            const std::size_t distance = valueOf(d) + takeBits(bits, count, extraBits(d));
            if (kindOf(d) != kDistance || distance > before + out) {  // or before the start of the data
                ok = false;
                break;
            }
            std::uint8_t* to = window + out;
            const std::uint8_t* from = to - distance;
            if (distance >= 8) {
                for (std::size_t n = 0; n < length; n += 8) std::memcpy(to + n, from + n, 8);
            } else {
                for (std::size_t n = 0; n < length; ++n) to[n] = from[n];
            }
            out += length;
        }
        ok = topUp();
        e = lit[bits & litMask];
    }
    bits_ = bits;
    count_ = count;
    at_ = at;
    out_ = out;
    return ok && !overread();
}

bool Inflater::trailer() {
    toByteBoundary();
    if (!bytesAvailable(4)) return false;
    storedAdler_ = std::uint32_t{in_[at_]} << 24 | std::uint32_t{in_[at_ + 1]} << 16 |
                   std::uint32_t{in_[at_ + 2]} << 8 | in_[at_ + 3];
    at_ += 4;
    return true;
}

bool Inflater::decodeMore() {
    if (state_ == State::End || state_ == State::Failed) return state_ == State::End;
    if (out_ > kWindow) {
        // Only the last 32 KiB can be referred to again.
        std::memmove(window_.data(), window_.data() + out_ - kWindow, kWindow);
        before_ += out_ - kWindow;
        given_ -= out_ - kWindow;
        out_ = kWindow;
    }
    const std::size_t limit = out_ + kSpan;
    bool ok = true;
    while (ok && out_ < limit && state_ != State::End) {
        switch (state_) {
            case State::Header:
                ok = zlibHeader();
                state_ = State::BlockHeader;
                break;
            case State::BlockHeader:
                if (last_) {
                    ok = trailer();
                    state_ = State::End;
                } else {
                    ok = blockHeader();
                }
                break;
            case State::Stored:
                ok = stored(limit);
                break;
            case State::Huffman:
                ok = huffman(limit);
                break;
            default:
                ok = false;
                break;
        }
    }
    if (!ok) state_ = State::Failed;
    return ok;
}

bool Inflater::read(std::uint8_t* out, std::size_t bytes) {
    while (bytes > 0) {
        if (given_ == out_) {
            if (!decodeMore() || given_ == out_) return false;
        }
        const std::size_t n = std::min(bytes, out_ - given_);
        std::memcpy(out, window_.data() + given_, n);
        given_ += n;
        out += n;
        bytes -= n;
    }
    return true;
}

bool Inflater::finish() {
    for (;;) {
        restAdler_ = static_cast<std::uint32_t>(
            adler32(restAdler_, window_.data() + given_, static_cast<uInt>(out_ - given_)));
        restLength_ += out_ - given_;
        given_ = out_;
        if (state_ == State::End) return true;
        if (!decodeMore()) return false;
    }
}

std::uint64_t Inflater::endOffset() const { return pulled_ - (have_ - at_); }

}  // namespace tessary::image::decode
