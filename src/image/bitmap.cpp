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

void setIndexAt(int bits, std::uint8_t* row, int x, unsigned index) {
    switch (bits) {
        case 1:
            return setIndexAt<1>(row, x, index);
        case 4:
            return setIndexAt<4>(row, x, index);
        default:
            return setIndexAt<8>(row, x, index);
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

// The black-and-white rule: nearer to white than to black. With the table (black, white) this is
// exactly the nearest-palette choice, as |c - white|^2 - |c - black|^2 = 3 * 255^2 - 510 * (r + g + b).
inline unsigned whiteBit(unsigned r, unsigned g, unsigned b) { return r + g + b >= 383 ? 1u : 0u; }

void packBlackWhite(const std::uint8_t* bgr, int step, int width, std::uint8_t* out) {
    int x = 0;
    for (; x + 8 <= width; x += 8, bgr += 8 * step) {
        unsigned byte = 0;
        for (int i = 0; i < 8; ++i) {
            const std::uint8_t* p = bgr + i * step;
            byte = (byte << 1) | whiteBit(p[2], p[1], p[0]);
        }
        *out++ = static_cast<std::uint8_t>(byte);
    }
    if (x < width) {
        unsigned byte = 0;
        int i = 0;
        for (; x < width; ++x, ++i, bgr += step) byte |= whiteBit(bgr[2], bgr[1], bgr[0]) << (7 - i);
        *out = static_cast<std::uint8_t>(byte);
    }
}

}  // namespace

Bitmap::Bitmap(const Bitmap& other)
    : block_(other.block_),
      width_(other.width_),
      height_(other.height_),
      bits_(other.bits_),
      colours_(other.colours_),
      stride_(other.stride_),
      pixelStart_(other.pixelStart_),
      lastError_(other.lastError_) {}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    if (this != &other) {
        Bitmap copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void Bitmap::adopt(Bytes block) {
    palette_.reset();
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
    if (!isBitmapDepth(bits)) {
        out.fail(kErrorInvalidDepth);
        return out;
    }
    if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > kMaxBitmapPixels) {
        out.fail(kErrorUnsupportedData);
        return out;
    }
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
    lastError_.clear();
    const auto header = bitmapLayout(data, data.size());
    if (!header) {
        fail(kErrorUnsupportedData);
        return false;
    }
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
    lastError_.clear();
    if (empty()) {
        fail(kErrorEmpty);
        return {};
    }
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

std::vector<std::uint32_t> Bitmap::GetColourTable() const {
    lastError_.clear();
    if (empty()) {
        fail(kErrorEmpty);
        return {};
    }
    if (bits_ > 8) {
        fail(kErrorNoColourTable);
        return {};
    }
    std::vector<std::uint32_t> table(colours_);
    for (std::size_t i = 0; i < colours_; ++i) table[i] = tableColour(static_cast<unsigned>(i));
    return table;
}

bool Bitmap::SetColourTable(std::span<const std::uint32_t> colours) {
    lastError_.clear();
    if (empty()) {
        fail(kErrorEmpty);
        return false;
    }
    if (bits_ > 8) {
        fail(kErrorNoColourTable);
        return false;
    }
    if (colours.size() != colours_) {
        fail(kErrorColourTable);
        return false;
    }
    std::uint8_t* t = block_.data() + kBmpInfoHeaderSize;
    for (std::uint32_t c : colours) {
        t[0] = static_cast<std::uint8_t>(c >> 16);
        t[1] = static_cast<std::uint8_t>(c >> 8);
        t[2] = static_cast<std::uint8_t>(c);
        t[3] = 0;
        t += 4;
    }
    palette_.reset();
    return true;
}

bool Bitmap::isBlackWhiteTable() const {
    return bits_ == 1 && colours_ == 2 && tableColour(0) == 0 && tableColour(1) == 0xFFFFFFu;
}

NearestPaletteIndex& Bitmap::nearest() {
    if (!palette_) {
        // Only indices the depth can store take part.
        std::vector<std::uint32_t> table(std::min<std::size_t>(colours_, std::size_t{1} << bits_));
        for (std::size_t i = 0; i < table.size(); ++i) table[i] = tableColour(static_cast<unsigned>(i));
        palette_ = std::make_unique<NearestPaletteIndex>(table);
    }
    return *palette_;
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

void Bitmap::writeRow(int y, const std::uint32_t* colours) {
    std::uint8_t* row = topRow(y);
    switch (bits_) {
        case 1:
        case 4:
        case 8:
            if (isBlackWhiteTable()) {
                for (int x = 0; x < width_; ++x) {
                    const std::uint32_t c = colours[x];
                    setIndexAt<1>(row, x, whiteBit(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
                }
            } else {
                NearestPaletteIndex& lookup = nearest();
                for (int x = 0; x < width_; ++x)
                    setIndexAt(bits_, row, x, static_cast<unsigned>(lookup(colours[x])));
            }
            break;
        case 16:
            for (int x = 0; x < width_; ++x) {
                const std::uint32_t c = colours[x];
                writeU16(row + 2 * x,
                         ((c & 0xFF) >> 3) << 10 | (((c >> 8) & 0xFF) >> 3) << 5 | ((c >> 16) & 0xFF) >> 3);
            }
            break;
        default: {
            const int step = bits_ / 8;
            for (int x = 0; x < width_; ++x, row += step) {
                row[0] = static_cast<std::uint8_t>(colours[x] >> 16);
                row[1] = static_cast<std::uint8_t>(colours[x] >> 8);
                row[2] = static_cast<std::uint8_t>(colours[x]);
                if (step == 4) row[3] = 0;
            }
        }
    }
}

std::uint32_t Bitmap::GetPixel(int x, int y) const {
    lastError_.clear();
    if (empty()) {
        fail(kErrorEmpty);
        return 0;
    }
    if (!inside(x, y)) {
        fail(kErrorCoordinate);
        return 0;
    }
    if (bits_ <= 8) {
        const unsigned index = getIndexAt(bits_, topRow(y), x);
        if (index >= colours_) fail(kErrorColourIndex);
        return tableColour(index);
    }
    const std::uint8_t* row = topRow(y);
    if (bits_ == 16) {
        const unsigned v = readU16(row + 2 * x);
        return colourOf(((v >> 10) & 31) * 8, ((v >> 5) & 31) * 8, (v & 31) * 8);
    }
    const std::uint8_t* p = row + x * (bits_ / 8);
    return colourOf(p[2], p[1], p[0]);
}

bool Bitmap::SetPixel(int x, int y, std::uint32_t colour) {
    lastError_.clear();
    if (empty()) {
        fail(kErrorEmpty);
        return false;
    }
    if (!inside(x, y)) {
        fail(kErrorCoordinate);
        return false;
    }
    std::uint8_t* row = topRow(y);
    if (bits_ <= 8) {
        setIndexAt(bits_, row, x, static_cast<unsigned>(nearest()(colour)));
    } else if (bits_ == 16) {
        writeU16(row + 2 * x, ((colour & 0xFF) >> 3) << 10 | (((colour >> 8) & 0xFF) >> 3) << 5 |
                                  ((colour >> 16) & 0xFF) >> 3);
    } else {
        std::uint8_t* p = row + x * (bits_ / 8);
        p[0] = static_cast<std::uint8_t>(colour >> 16);
        p[1] = static_cast<std::uint8_t>(colour >> 8);
        p[2] = static_cast<std::uint8_t>(colour);
        if (bits_ == 32) p[3] = 0;
    }
    return true;
}

int Bitmap::GetIndex(int x, int y) const {
    lastError_.clear();
    if (empty()) {
        fail(kErrorEmpty);
        return -1;
    }
    if (bits_ > 8) {
        fail(kErrorNoColourTable);
        return -1;
    }
    if (!inside(x, y)) {
        fail(kErrorCoordinate);
        return -1;
    }
    return static_cast<int>(getIndexAt(bits_, topRow(y), x));
}

bool Bitmap::SetIndex(int x, int y, int index) {
    lastError_.clear();
    if (empty()) {
        fail(kErrorEmpty);
        return false;
    }
    if (bits_ > 8) {
        fail(kErrorNoColourTable);
        return false;
    }
    if (!inside(x, y)) {
        fail(kErrorCoordinate);
        return false;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= colours_ || index >= (1 << bits_)) {
        fail(kErrorColourIndex);
        return false;
    }
    setIndexAt(bits_, topRow(y), x, static_cast<unsigned>(index));
    return true;
}

Bitmap Bitmap::ConvertDepth(int bitsPerPixel) const {
    lastError_.clear();
    if (empty()) {
        fail(kErrorEmpty);
        return {};
    }
    if (!isBitmapDepth(bitsPerPixel)) {
        fail(kErrorInvalidDepth);
        return {};
    }
    if (bitsPerPixel == bits_) {
        Bitmap copy;
        copy.adopt(block_);
        return copy;
    }
    Bitmap out = create(width_, height_, bitsPerPixel);
    if (bitsPerPixel == 1 && bits_ >= 24) {
        // The snapshot's black-and-white step, straight from the stored bytes.
        const int step = bits_ / 8;
        for (int r = 0; r < height_; ++r) packBlackWhite(storedRow(r), step, width_, out.storedRow(r));
        return out;
    }
    std::vector<std::uint32_t> row(static_cast<std::size_t>(width_));
    for (int y = 0; y < height_; ++y) {
        readRow(y, row.data());
        out.writeRow(y, row.data());
    }
    return out;
}

// An empty image of this depth and colour table for Rotate90 and Mirror; nullopt (and the error) when empty.
std::optional<Bitmap> Bitmap::sameDepthBlank(int width, int height) const {
    lastError_.clear();
    if (empty()) {
        fail(kErrorEmpty);
        return std::nullopt;
    }
    const std::vector<std::uint32_t> table = bits_ <= 8 ? GetColourTable() : std::vector<std::uint32_t>{};
    return blank(width, height, bits_, table);
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
