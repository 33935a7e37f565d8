// SPDX-License-Identifier: GPL-3.0-or-later
// PCX: 8-bit pictures with the 256-colour palette at the end of the file, and 24-bit pictures stored as
// three planes of 8 bits; run-length coded, or stored plain.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/decode/decoders.h"

namespace tessary::image::decode {
namespace {

constexpr std::uint64_t kHeaderBytes = 128;
constexpr std::uint64_t kPaletteBytes = 769;  // 0x0C, then 256 x (red, green, blue)

std::uint32_t u16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }

// Reads the coded bytes from the header's end up to `end`, run-length decoding when asked. Runs may carry
// on from one line into the next.
class PcxData {
  public:
    PcxData(std::FILE* file, std::uint64_t end, bool runLength)
        : file_(file), left_(end - kHeaderBytes), runLength_(runLength) {}

    bool fill(std::uint8_t* out, std::size_t count) {
        while (count > 0) {
            if (run_ > 0) {
                const std::size_t n = std::min<std::size_t>(run_, count);
                std::fill(out, out + n, value_);
                out += n;
                count -= n;
                run_ -= n;
                continue;
            }
            int byte = next();
            if (byte < 0) return false;
            if (runLength_ && (byte & 0xC0) == 0xC0) {
                run_ = byte & 0x3F;
                byte = next();
                if (byte < 0) return false;
            } else {
                run_ = 1;
            }
            value_ = static_cast<std::uint8_t>(byte);
        }
        return true;
    }

  private:
    int next() {
        if (pos_ == buffer_.size()) {
            if (left_ == 0) return -1;
            buffer_.resize(std::min<std::uint64_t>(left_, 65536));
            if (std::fread(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) return -1;
            left_ -= buffer_.size();
            pos_ = 0;
        }
        return buffer_[pos_++];
    }

    std::FILE* file_;
    std::uint64_t left_;
    bool runLength_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    std::size_t run_ = 0;
    std::uint8_t value_ = 0;
};

}  // namespace

int decodePcx(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    std::uint8_t h[kHeaderBytes];
    if (!readAt(in, 0, h, sizeof h) || h[0] != 10) return kConvertRefused;
    const std::uint32_t xmin = u16(h + 4), ymin = u16(h + 6), xmax = u16(h + 8), ymax = u16(h + 10);
    const unsigned bits = h[3], planes = h[65];
    if (xmax == xmin || ymax == ymin || (bits * planes != 8 && bits * planes != 24)) return kConvertRefused;

    if (xmax < xmin || ymax < ymin) return kConvertDecodeFailed;
    const std::uint64_t width = xmax - xmin + 1, height = ymax - ymin + 1;
    const std::uint64_t bytesPerLine = u16(h + 66);
    const unsigned encoding = h[2];
    // Other splits of 8 or 24 bits (1 x 8, 2 x 4, 24 x 1 ...) have no agreed layout.
    if (bits != 8 || (planes != 1 && planes != 3) || encoding > 1 || bytesPerLine < width)
        return kConvertDecodeFailed;

    std::uint8_t palette[kPaletteBytes];
    std::uint64_t dataEnd = in.size;
    if (planes == 1) {
        if (in.size < kHeaderBytes + kPaletteBytes) return kConvertDecodeFailed;
        dataEnd = in.size - kPaletteBytes;
        if (!readAt(in, dataEnd, palette, kPaletteBytes) || palette[0] != 0x0C) return kConvertDecodeFailed;
    }
    // No coded run yields more than 63 bytes from 2, so a file too short for its picture is refused here,
    // before the picture is allocated.
    const std::uint64_t decodedBytes = bytesPerLine * planes * height;
    const std::uint64_t codedBytes = dataEnd - kHeaderBytes;
    if (encoding == 1 ? codedBytes * 63 < decodedBytes * 2 : codedBytes < decodedBytes)
        return kConvertDecodeFailed;
    if (!startRows(sink, info, PictureFormat::Pcx, width, height, width, height)) return kConvertDecodeFailed;

    if (fseeko(in.file, kHeaderBytes, SEEK_SET) != 0) return kConvertDecodeFailed;
    PcxData data(in.file, dataEnd, encoding == 1);
    std::vector<std::uint8_t> line(bytesPerLine * planes);
    std::vector<std::uint8_t> rgb(width * 3);
    for (std::uint64_t y = 0; y < height; ++y) {
        if (!data.fill(line.data(), line.size())) return kConvertDecodeFailed;
        for (std::uint64_t x = 0; x < width; ++x) {
            if (planes == 1) {
                const std::uint8_t* c = palette + 1 + line[x] * 3;
                rgb[x * 3 + 0] = c[0];
                rgb[x * 3 + 1] = c[1];
                rgb[x * 3 + 2] = c[2];
            } else {
                rgb[x * 3 + 0] = line[x];
                rgb[x * 3 + 1] = line[bytesPerLine + x];
                rgb[x * 3 + 2] = line[2 * bytesPerLine + x];
            }
        }
        sink.row(static_cast<int>(y), rgb.data());
    }
    return kConvertOk;
}

}  // namespace tessary::image::decode
