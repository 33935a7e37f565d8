// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/bitmap.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "image/bmp_header.h"

namespace tessary::image {
namespace {

constexpr std::uint32_t colourOf(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | (g << 8) | (b << 16);
}

template <int Bits>
inline unsigned getIndexAt(const std::uint8_t* row, int x) {
    if constexpr (Bits == 1) return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    if constexpr (Bits == 4) return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    if constexpr (Bits == 8) return row[x];
}

template <int Bits>
inline void setIndexAt(std::uint8_t* row, int x, unsigned index) {
    if constexpr (Bits == 1) {
        const int shift = 7 - (x & 7);
        row[x >> 3] = static_cast<std::uint8_t>((row[x >> 3] & ~(1u << shift)) | ((index & 1u) << shift));
    }
    if constexpr (Bits == 4) {
        std::uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0u) | (index & 0x0Fu))
                    : static_cast<std::uint8_t>((b & 0x0Fu) | ((index & 0x0Fu) << 4));
    }
    if constexpr (Bits == 8) row[x] = static_cast<std::uint8_t>(index);
}

unsigned getIndexAt(int bits, const std::uint8_t* row, int x) {
    switch (bits) {
        case 1:
            return getIndexAt<1>(row, x);
        case 4:
            return getIndexAt<4>(row, x);
        default:
            return getIndexAt<8>(row, x);
    }
}

// Copies one pixel (colour-table index or stored colour bytes) between rows of the same depth.
template <int Bits>
inline void copyPixel(const std::uint8_t* src, int x, std::uint8_t* dst, int xn) {
    if constexpr (Bits <= 8) {
        setIndexAt<Bits>(dst, xn, getIndexAt<Bits>(src, x));
    } else {
        constexpr int n = Bits / 8;
        std::memcpy(dst + xn * n, src + x * n, n);
    }
}

// dst pixel (xn, yn) = src pixel map(xn, yn), both counted from the top-left.
template <int Bits, class Map>
void remap(const Bitmap& src, Bitmap& dst, Map map) {
    const int w = dst.width();
    for (int yn = 0; yn < dst.height(); ++yn) {
        std::uint8_t* d = dst.topRow(yn);
        for (int xn = 0; xn < w; ++xn) {
            const auto [x, y] = map(xn, yn);
            copyPixel<Bits>(src.topRow(y), x, d, xn);
        }
    }
}

template <class Map>
void remapAnyDepth(const Bitmap& src, Bitmap& dst, Map map) {
    switch (src.bitsPerPixel()) {
        case 1:
            return remap<1>(src, dst, map);
        case 4:
            return remap<4>(src, dst, map);
        case 8:
            return remap<8>(src, dst, map);
        case 16:
            return remap<16>(src, dst, map);
        case 24:
            return remap<24>(src, dst, map);
        default:
            return remap<32>(src, dst, map);
    }
}

}  // namespace

void Bitmap::adopt(Bytes block) {
    block_ = std::move(block);
    if (block_.empty()) {
        width_ = height_ = bits_ = 0;
        colours_ = stride_ = pixelStart_ = 0;
        return;
    }
    const std::uint8_t* h = block_.data();
    width_ = readI32(h + 4);
    height_ = readI32(h + 8);
    bits_ = readU16(h + 14);
    stride_ = static_cast<std::size_t>(bmpStride(width_, bits_));
    pixelStart_ = block_.size() - stride_ * static_cast<std::size_t>(height_);
    colours_ = (pixelStart_ - kBmpInfoHeaderSize) / 4;
}

Bitmap Bitmap::blank(int width, int height, int bits, std::span<const std::uint32_t> table) {
    Bitmap out;
    if (!isBitmapDepth(bits) || width <= 0 || height <= 0 ||
        static_cast<std::int64_t>(width) * height > kMaxBitmapPixels)
        return out;
    const std::size_t pixelBytes =
        static_cast<std::size_t>(bmpStride(width, bits)) * static_cast<std::size_t>(height);
    Bytes block(kBmpInfoHeaderSize + table.size() * 4 + pixelBytes, 0);
    std::uint8_t* h = block.data();
    writeU32(h, kBmpInfoHeaderSize);
    writeU32(h + 4, static_cast<std::uint32_t>(width));
    writeU32(h + 8, static_cast<std::uint32_t>(height));
    writeU16(h + 12, 1);
    writeU16(h + 14, static_cast<std::uint32_t>(bits));
    // A table of other than the depth's full length must be announced as the colours used.
    if (bits <= 8 && table.size() != (1u << bits)) writeU32(h + 32, static_cast<std::uint32_t>(table.size()));
    std::uint8_t* t = h + kBmpInfoHeaderSize;
    for (std::uint32_t c : table) {
        t[0] = static_cast<std::uint8_t>(c >> 16);
        t[1] = static_cast<std::uint8_t>(c >> 8);
        t[2] = static_cast<std::uint8_t>(c);
        t[3] = 0;
        t += 4;
    }
    out.adopt(std::move(block));
    return out;
}

Bitmap Bitmap::create(int width, int height, int bitsPerPixel) {
    return blank(width, height, bitsPerPixel, defaultColourTable(bitsPerPixel));
}

bool Bitmap::载入数据(std::span<const std::uint8_t> data) {
    adopt({});
    const auto header = bitmapLayout(data, data.size());
    if (!header) return false;
    Bytes block(kBmpInfoHeaderSize + header->colours * 4 + header->pixelBytes, 0);
    std::uint8_t* b = block.data();
    const std::uint8_t* info = data.data() + kBmpFileHeaderSize;
    const std::uint8_t* table = data.data() + header->tableOffset;
    if (header->infoHeaderSize == kBmpCoreHeaderSize) {
        writeU32(b, kBmpInfoHeaderSize);
        writeU32(b + 4, static_cast<std::uint32_t>(header->width));
        writeU32(b + 8, static_cast<std::uint32_t>(header->height));
        writeU16(b + 12, static_cast<std::uint32_t>(header->planes));
        writeU16(b + 14, static_cast<std::uint32_t>(header->bitsPerPixel));
        for (std::size_t i = 0; i < header->colours; ++i)
            std::memcpy(b + kBmpInfoHeaderSize + i * 4, table + i * 3, 3);
    } else {
        std::memcpy(b, info, kBmpInfoHeaderSize);
        std::memcpy(b + kBmpInfoHeaderSize, table, header->colours * 4);
    }
    std::memcpy(b + kBmpInfoHeaderSize + header->colours * 4, data.data() + header->pixelOffset,
                header->pixelBytes);
    adopt(std::move(block));
    return true;
}

Bytes Bitmap::ToByteSet() const {
    if (empty()) return {};
    Bytes out(kBmpFileHeaderSize + block_.size());
    out[0] = 'B';
    out[1] = 'M';
    writeU32(out.data() + 2, static_cast<std::uint32_t>(out.size()));
    writeU32(out.data() + 10, static_cast<std::uint32_t>(kBmpFileHeaderSize + pixelStart_));
    std::memcpy(out.data() + kBmpFileHeaderSize, block_.data(), block_.size());
    return out;
}

std::uint32_t Bitmap::tableColour(unsigned index) const {
    if (index >= colours_) return 0;
    const std::uint8_t* e = block_.data() + kBmpInfoHeaderSize + index * 4;
    return colourOf(e[2], e[1], e[0]);
}

std::vector<std::uint32_t> Bitmap::colourTable() const {
    std::vector<std::uint32_t> table(colours_);
    for (std::size_t i = 0; i < colours_; ++i) table[i] = tableColour(static_cast<unsigned>(i));
    return table;
}

void Bitmap::readRow(int y, std::uint32_t* colours) const {
    const std::uint8_t* row = topRow(y);
    switch (bits_) {
        case 1:
        case 4:
        case 8: {
            std::array<std::uint32_t, 256> table{};
            const std::size_t n = std::min<std::size_t>(colours_, 256);
            for (std::size_t i = 0; i < n; ++i) table[i] = tableColour(static_cast<unsigned>(i));
            for (int x = 0; x < width_; ++x) colours[x] = table[getIndexAt(bits_, row, x)];
            break;
        }
        case 16:
            for (int x = 0; x < width_; ++x) {
                const unsigned v = readU16(row + 2 * x);
                colours[x] = colourOf(((v >> 10) & 31) * 8, ((v >> 5) & 31) * 8, (v & 31) * 8);
            }
            break;
        default: {
            const int step = bits_ / 8;
            for (int x = 0; x < width_; ++x, row += step) colours[x] = colourOf(row[2], row[1], row[0]);
        }
    }
}

// An empty image of this depth and colour table for Rotate90 and Mirror; nullopt when this one is empty.
std::optional<Bitmap> Bitmap::sameDepthBlank(int width, int height) const {
    if (empty()) return std::nullopt;
    return blank(width, height, bits_, colourTable());
}

Bitmap Bitmap::Rotate90(bool clockwise) const {
    std::optional<Bitmap> made = sameDepthBlank(height_, width_);
    if (!made) return {};
    Bitmap out = std::move(*made);
    const int w = width_;
    const int h = height_;
    if (clockwise) {
        remapAnyDepth(*this, out, [h](int xn, int yn) { return std::pair{yn, h - 1 - xn}; });
    } else {
        remapAnyDepth(*this, out, [w](int xn, int yn) { return std::pair{w - 1 - yn, xn}; });
    }
    return out;
}

Bitmap Bitmap::Mirror(bool leftRight, bool topBottom) const {
    std::optional<Bitmap> made = sameDepthBlank(width_, height_);
    if (!made) return {};
    Bitmap out = std::move(*made);
    const int w = width_;
    const int h = height_;
    if (!leftRight) {
        for (int y = 0; y < h; ++y) std::memcpy(out.topRow(y), topRow(topBottom ? h - 1 - y : y), stride_);
        return out;
    }
    remapAnyDepth(*this, out, [w, h, topBottom](int xn, int yn) {
        return std::pair{w - 1 - xn, topBottom ? h - 1 - yn : yn};
    });
    return out;
}

}  // namespace tessary::image
