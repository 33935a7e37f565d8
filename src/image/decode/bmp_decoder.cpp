// SPDX-License-Identifier: GPL-3.0-or-later
// BMP files (and OS/2 "BA" ones with the same headers): the 12-byte core header or an info header of 40
// bytes or more. 1, 4 and 8 bits through the colour table (8 and 4 also run-length coded), 16 and 32 bits
// through bit fields (5-5-5 and 8-8-8 with the fourth byte ignored where the file gives none), 24 bits as
// blue, green, red.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/bitmap.h"
#include "image/bmp_header.h"
#include "image/decode/decoders.h"
#include "image/decode/over_white.h"

namespace tessary::image::decode {
namespace {

constexpr std::uint32_t kRle8 = 1, kRle4 = 2;

// One channel of a bit-field pixel, widened to 8 bits by repeating its bits (31 of 5 bits is 255).
class Channel {
  public:
    // False for a mask whose bits are not one run.
    bool set(std::uint32_t mask) {
        if (mask == 0) return true;
        while (!(mask >> shift_ & 1)) ++shift_;
        const std::uint32_t run = mask >> shift_;
        if ((run & (run + 1)) != 0) return false;
        for (std::uint32_t r = run; r; r >>= 1) ++bits_;
        mask_ = mask;
        for (std::uint32_t v = 0; bits_ < 8 && v <= run; ++v) {
            std::uint32_t wide = 0;
            int filled = 0;
            for (; filled < 8; filled += bits_) wide = wide << bits_ | v;
            widened_[v] = static_cast<std::uint8_t>(wide >> (filled - 8));
        }
        return true;
    }
    bool present() const { return mask_ != 0; }
    std::uint8_t operator()(std::uint32_t pixel) const {
        const std::uint32_t v = (pixel & mask_) >> shift_;
        return bits_ >= 8 ? static_cast<std::uint8_t>(v >> (bits_ - 8)) : widened_[v];
    }

  private:
    std::uint32_t mask_ = 0;
    int shift_ = 0, bits_ = 0;
    std::array<std::uint8_t, 128> widened_{};
};

// Turns stored rows (or run-length decoded indices) into red, green, blue.
class Pixels {
  public:
    Pixels(const BmpHeader& h, std::uint64_t width) : bits_(h.bitsPerPixel), width_(width) {}

    // The colour table, as far as it lies before the pixels; indices past it take its first entry, as a
    // damaged file is usually read.
    bool readTable(const Input& in, const BmpHeader& h) {
        const std::size_t count = std::min<std::size_t>(
            h.coloursUsed == 0 || h.coloursUsed > (1u << bits_) ? 1u << bits_ : h.coloursUsed,
            (h.pixelOffset - h.tableOffset) / h.tableEntrySize);
        std::vector<std::uint8_t> table(count * h.tableEntrySize);
        if (count == 0 || !readAt(in, h.tableOffset, table.data(), table.size())) return false;
        for (std::size_t i = 0; i < table_.size(); ++i) {
            const std::uint8_t* e = table.data() + (i < count ? i : 0) * h.tableEntrySize;
            table_[i] = {e[2], e[1], e[0]};
        }
        return true;
    }

    // The masks of 16- and 32-bit rows; false when they cannot be read as bit fields.
    bool setMasks(const BmpHeader& h) {
        static constexpr std::uint32_t k555[] = {0x7C00, 0x03E0, 0x001F, 0};
        static constexpr std::uint32_t k888[] = {0xFF0000, 0x00FF00, 0x0000FF, 0};
        const std::uint32_t* masks = h.compression == kBmpBitFields ? h.masks : bits_ == 16 ? k555 : k888;
        const bool read =
            red_.set(masks[0]) && green_.set(masks[1]) && blue_.set(masks[2]) && alpha_.set(masks[3]);
        return read && red_.present() && green_.present() && blue_.present();
    }

    // One stored row of the file's depth, or of one index per byte for run-length coded rows.
    const std::uint8_t* row(const std::uint8_t* stored, bool indices, std::uint8_t* rgb) {
        std::uint8_t* out = rgb;
        if (indices || bits_ <= 8) {
            const int bits = indices ? 8 : bits_;
            const unsigned perByte = 8u / static_cast<unsigned>(bits), mask = (1u << bits) - 1;
            for (std::uint64_t x = 0; x < width_; ++x, out += 3) {
                const unsigned shift = static_cast<unsigned>(bits) * (perByte - 1 - x % perByte);
                const auto& c = table_[(stored[x / perByte] >> shift) & mask];
                std::copy(c.begin(), c.end(), out);
            }
        } else if (bits_ == 24) {
            for (std::uint64_t x = 0; x < width_; ++x, stored += 3, out += 3)
                out[0] = stored[2], out[1] = stored[1], out[2] = stored[0];
        } else {
            const int bytes = bits_ / 8;
            rgba_.resize(width_ * 4);
            std::uint8_t* rgba = rgba_.data();
            for (std::uint64_t x = 0; x < width_; ++x, stored += bytes, rgba += 4) {
                std::uint32_t v = stored[0] | stored[1] << 8;
                if (bytes == 4)
                    v |= static_cast<std::uint32_t>(stored[2]) << 16 | static_cast<std::uint32_t>(stored[3])
                                                                           << 24;
                rgba[0] = red_(v), rgba[1] = green_(v), rgba[2] = blue_(v);
                rgba[3] = alpha_.present() ? alpha_(v) : 255;
            }
            rgbaOverWhite(rgba_.data(), rgb, static_cast<int>(width_), false);
        }
        return rgb;
    }

  private:
    int bits_;
    std::uint64_t width_;
    std::array<std::array<std::uint8_t, 3>, 256> table_{};
    Channel red_, green_, blue_, alpha_;
    std::vector<std::uint8_t> rgba_;
};

// Run-length coded rows, bottom row first, each handed on as soon as the codes leave it. Runs past a row's
// end and rows past the picture's top are dropped; pixels the codes pass over keep index 0.
class RunLengthRows {
  public:
    RunLengthRows(const Input& in, std::uint64_t width, std::uint64_t height, bool four)
        : in_(in), width_(width), height_(height), four_(four), indices_(width, 0) {}

    template <class Emit>
    bool decode(Emit emit) {
        auto next = [&](std::uint64_t rows) {
            for (; rows > 0 && row_ < height_; --rows) {
                emit(row_++, indices_.data());
                std::fill(indices_.begin(), indices_.end(), 0);
            }
            x_ = 0;
        };
        bool cut = false;
        while (row_ < height_) {
            const int count = std::getc(in_.file), code = std::getc(in_.file);
            if ((cut = code == EOF)) break;
            if (count > 0) {
                // Only the pixels inside the row are set, so that runs past it cost nothing.
                const auto inside =
                    static_cast<int>(std::min<std::uint64_t>(count, width_ - std::min(x_, width_)));
                for (int i = 0; i < inside; ++i)
                    indices_[x_ + i] =
                        static_cast<std::uint8_t>(four_ ? (i & 1 ? code & 15 : code >> 4) : code);
                x_ += static_cast<unsigned>(count);
            } else if (code == 0) {
                next(1);
            } else if (code == 1) {
                break;
            } else if (code == 2) {
                const int dx = std::getc(in_.file), dy = std::getc(in_.file);
                if (dy == EOF) return false;
                const std::uint64_t x = x_ + static_cast<unsigned>(dx);
                if (dy > 0) next(static_cast<unsigned>(dy));
                x_ = x;
            } else {
                // Literal pixels, padded to an even number of bytes.
                const int bytes = four_ ? (code + 1) / 2 : code;
                int value = 0;
                for (int i = 0; i < code; ++i) {
                    if (!four_ || !(i & 1)) value = std::getc(in_.file);
                    if (value == EOF) return false;
                    put(four_ ? (i & 1 ? value & 15 : value >> 4) : value);
                }
                if ((bytes & 1) && std::getc(in_.file) == EOF) return false;
            }
        }
        // The codes may end with the picture's last row without an end code; a file that ends before is cut.
        if (cut && !(row_ + 1 == height_ && x_ >= width_)) return false;
        next(height_);
        return true;
    }

  private:
    void put(int index) {
        if (x_ < width_) indices_[x_] = static_cast<std::uint8_t>(index);
        ++x_;
    }
    const Input& in_;
    std::uint64_t width_, height_;
    bool four_;
    std::vector<std::uint8_t> indices_;
    std::uint64_t row_ = 0, x_ = 0;
};

}  // namespace

int decodeBmp(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    std::uint8_t head[kBmpHeadLength];
    const std::size_t headBytes = static_cast<std::size_t>(std::min<std::uint64_t>(in.size, sizeof head));
    if (!readAt(in, 0, head, headBytes)) return kConvertRefused;
    const std::optional<BmpHeader> header = readBmpHeader({head, headBytes});
    if (!header || header->compression > kBmpBitFields || header->width <= 0 || header->height == 0 ||
        !isBitmapDepth(header->bitsPerPixel))
        return kConvertRefused;
    const BmpHeader& h = *header;

    const std::uint64_t width = static_cast<std::uint64_t>(h.width);
    const std::uint64_t height = static_cast<std::uint64_t>(h.height < 0 ? -h.height : h.height);
    const bool topDown = h.height < 0;
    const bool runLength = h.compression == kRle8 || h.compression == kRle4;
    // Run-length codes are for bottom-up 8- and 4-bit rows, bit fields for 16 and 32 bits; on 24-bit rows
    // only the plain blue-green-red layout spelled out is taken, as any other would be a guess.
    if (runLength ? topDown || h.bitsPerPixel != (h.compression == kRle8 ? 8 : 4)
                  : h.compression == kBmpBitFields && h.bitsPerPixel != 16 && h.bitsPerPixel != 32 &&
                        (h.bitsPerPixel != 24 || h.masks[0] != 0x00FF0000 || h.masks[1] != 0x0000FF00 ||
                         h.masks[2] != 0x000000FF))
        return kConvertDecodeFailed;
    if (h.pixelOffset < h.tableOffset || width > kMaxDeliveredPixels || height > kMaxDeliveredPixels)
        return kConvertDecodeFailed;

    Pixels pixels(h, width);
    if (h.bitsPerPixel <= 8 ? !pixels.readTable(in, h) : h.bitsPerPixel != 24 && !pixels.setMasks(h))
        return kConvertDecodeFailed;
    const std::uint64_t stride = (width * static_cast<unsigned>(h.bitsPerPixel) + 31) / 32 * 4;
    // Every row must be in the file (the last one may lack its padding) before anything is allocated.
    const std::uint64_t lastRow = (width * static_cast<unsigned>(h.bitsPerPixel) + 7) / 8;
    if (!runLength && h.pixelOffset + stride * (height - 1) + lastRow > in.size) return kConvertDecodeFailed;
    if (!startRows(sink, info, PictureFormat::Bmp, width, height, width, height)) return kConvertDecodeFailed;

    std::vector<std::uint8_t> rgb(width * 3);
    if (fseeko(in.file, h.pixelOffset, SEEK_SET) != 0) return kConvertDecodeFailed;
    if (runLength) {
        RunLengthRows rows(in, width, height, h.compression == kRle4);
        const bool whole = rows.decode([&](std::uint64_t r, const std::uint8_t* indices) {
            sink.row(static_cast<int>(height - 1 - r), pixels.row(indices, true, rgb.data()));
        });
        return whole ? kConvertOk : kConvertDecodeFailed;
    }
    std::vector<std::uint8_t> stored(stride);
    for (std::uint64_t r = 0; r < height; ++r) {
        const std::size_t want = r + 1 < height ? stride : lastRow;
        if (std::fread(stored.data(), 1, want, in.file) != want) return kConvertDecodeFailed;
        sink.row(static_cast<int>(topDown ? r : height - 1 - r),
                 pixels.row(stored.data(), false, rgb.data()));
    }
    return kConvertOk;
}

}  // namespace tessary::image::decode
