// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/decode/png_fast.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

#include "image/decode/idat_stream.h"
#include "image/decode/row_ring.h"

namespace tessary::image::decode {
namespace {

// Filtered rows in flight between the two threads, and how many a sleeping side waits for.
constexpr std::uint32_t kRingRows = 32;
constexpr std::uint32_t kBatchRows = 8;

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::uint8_t overWhite(unsigned v, unsigned a) {
    return static_cast<std::uint8_t>((v * a + 255 * (255 - a) + 127) / 255);
}

int channelsOf(int colorType) {
    switch (colorType) {
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB:
            return 3;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        default:
            return 1;
    }
}

void inflateRows(IdatStream& stream, RowRing& ring, std::size_t stride) {
    for (std::uint32_t y = 0; y < ring.rows(); ++y) {
        if (!ring.waitForRoom(y)) return ring.done(false);
        if (!stream.read(ring.slot(y), stride)) return ring.done(false);
        ring.produced(y);
    }
    ring.done(stream.finish());
}

template <int Bpp>
void unfilterSub(std::uint8_t* __restrict row, std::size_t n) {
    for (std::size_t i = Bpp; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - Bpp]);
}

void unfilterUp(std::uint8_t* __restrict row, const std::uint8_t* __restrict prev, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + prev[i]);
}

template <int Bpp>
void unfilterAverage(std::uint8_t* __restrict row, const std::uint8_t* __restrict prev, std::size_t n) {
    for (std::size_t i = 0; i < Bpp && i < n; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + (prev[i] >> 1));
    for (std::size_t i = Bpp; i < n; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - Bpp] + prev[i]) >> 1));
}

template <int Bpp>
void unfilterPaeth(std::uint8_t* __restrict row, const std::uint8_t* __restrict prev, std::size_t n) {
    for (std::size_t i = 0; i < Bpp && i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + prev[i]);
    for (std::size_t i = Bpp; i < n; ++i) {
        const int a = row[i - Bpp], b = prev[i], c = prev[i - Bpp];
        const int pa = std::abs(b - c);
        const int pb = std::abs(a - c);
        const int pc = std::abs(a + b - 2 * c);
        const int predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
        row[i] = static_cast<std::uint8_t>(row[i] + predictor);
    }
}

template <int Bpp>
bool unfilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* prev, std::size_t n) {
    switch (filter) {
        case 0:
            return true;
        case 1:
            unfilterSub<Bpp>(row, n);
            return true;
        case 2:
            unfilterUp(row, prev, n);
            return true;
        case 3:
            unfilterAverage<Bpp>(row, prev, n);
            return true;
        case 4:
            unfilterPaeth<Bpp>(row, prev, n);
            return true;
        default:
            return false;  // libpng: "bad adaptive filter value"
    }
}

bool unfilterRow(int bpp, std::uint8_t filter, std::uint8_t* row, const std::uint8_t* prev, std::size_t n) {
    switch (bpp) {
        case 1:
            return unfilter<1>(filter, row, prev, n);
        case 2:
            return unfilter<2>(filter, row, prev, n);
        case 3:
            return unfilter<3>(filter, row, prev, n);
        default:
            return unfilter<4>(filter, row, prev, n);
    }
}

// The row as 8-bit RGB over white; may return the row itself when it already is that.
const std::uint8_t* toRgb(const PngFastPicture& p, const std::uint8_t* in, std::uint8_t* out) {
    const std::uint32_t width = p.width;
    switch (p.colorType) {
        case PNG_COLOR_TYPE_RGB:
            if (!p.hasKey) return in;
            for (std::uint32_t x = 0; x < width; ++x, in += 3, out += 3) {
                const bool clear = in[0] == p.key[0] && in[1] == p.key[1] && in[2] == p.key[2];
                for (int i = 0; i < 3; ++i) out[i] = clear ? 255 : in[i];
            }
            break;
        case PNG_COLOR_TYPE_GRAY:
            for (std::uint32_t x = 0; x < width; ++x, out += 3) {
                const std::uint8_t v = p.hasKey && in[x] == p.key[0] ? 255 : in[x];
                out[0] = out[1] = out[2] = v;
            }
            break;
        case PNG_COLOR_TYPE_PALETTE:
            for (std::uint32_t x = 0; x < width; ++x, out += 3) std::memcpy(out, p.palette[in[x]], 3);
            break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            for (std::uint32_t x = 0; x < width; ++x, in += 2, out += 3)
                out[0] = out[1] = out[2] = overWhite(in[0], in[1]);
            break;
        default:  // RGBA
            for (std::uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
                const unsigned a = in[3];
                for (int i = 0; i < 3; ++i) out[i] = a == 255 ? in[i] : overWhite(in[i], a);
            }
            break;
    }
    return out - std::size_t{width} * 3;
}

}  // namespace

bool pngFastPicture(png_structp png, png_infop info, PngFastPicture& out) {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0, compression = 0, filter = 0;
    if (!png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, &compression, &filter))
        return false;
    if (bitDepth != 8 || interlace != PNG_INTERLACE_NONE || compression != 0 || filter != 0) return false;
    if (colorType != PNG_COLOR_TYPE_GRAY && colorType != PNG_COLOR_TYPE_GRAY_ALPHA &&
        colorType != PNG_COLOR_TYPE_RGB && colorType != PNG_COLOR_TYPE_RGB_ALPHA &&
        colorType != PNG_COLOR_TYPE_PALETTE)
        return false;
    out = PngFastPicture{};
    out.width = width;
    out.height = height;
    out.colorType = colorType;

    png_bytep transAlpha = nullptr;
    int transCount = 0;
    png_color_16p transColor = nullptr;
    const bool trns = png_get_valid(png, info, PNG_INFO_tRNS) &&
                      png_get_tRNS(png, info, &transAlpha, &transCount, &transColor);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int entries = 0;
        if (!png_get_PLTE(png, info, &palette, &entries) || !palette || entries < 1 || entries > 256)
            return false;
        if (trns && (!transAlpha || transCount < 0 || transCount > entries)) return false;
        for (int i = 0; i < entries; ++i) {
            const unsigned a = trns && i < transCount ? transAlpha[i] : 255;
            out.palette[i][0] = overWhite(palette[i].red, a);
            out.palette[i][1] = overWhite(palette[i].green, a);
            out.palette[i][2] = overWhite(palette[i].blue, a);
        }
        return true;
    }
    if (!trns) return true;
    if (!transColor) return false;
    if (colorType == PNG_COLOR_TYPE_GRAY) {
        if (transColor->gray > 255) return false;
        out.key[0] = static_cast<std::uint8_t>(transColor->gray);
    } else if (colorType == PNG_COLOR_TYPE_RGB) {
        if (transColor->red > 255 || transColor->green > 255 || transColor->blue > 255) return false;
        out.key[0] = static_cast<std::uint8_t>(transColor->red);
        out.key[1] = static_cast<std::uint8_t>(transColor->green);
        out.key[2] = static_cast<std::uint8_t>(transColor->blue);
    } else {
        return false;  // libpng drops a tRNS chunk beside an alpha channel; leave such files to it
    }
    out.hasKey = true;
    return true;
}

int decodePngFast(const Input& in, const PngFastPicture& picture, RowSink& sink, DecodeInfo* info) {
    const off_t here = ftello(in.file);
    std::uint8_t head[8];
    if (here < 8 || !readAt(in, static_cast<std::uint64_t>(here) - 8, head, sizeof head) ||
        std::memcmp(head + 4, "IDAT", 4) != 0)
        return kConvertDecodeFailed;

    const int bpp = channelsOf(picture.colorType);
    const std::size_t rowBytes = std::size_t{picture.width} * bpp;
    const std::size_t stride = rowBytes + 1;
    const std::vector<std::uint8_t> none(rowBytes, 0);  // the row above the first
    std::vector<std::uint8_t> rgb(std::size_t{picture.width} * 3);
    IdatStream stream(in.file, be32(head));
    RowRing ring(stride, picture.height, kRingRows, kBatchRows);
    if (!startRows(sink, info, PictureFormat::Png, picture.width, picture.height, picture.width,
                   picture.height))
        return kConvertDecodeFailed;

    try {
        RowReader inflater(ring, [&] { inflateRows(stream, ring, stride); });
        // Rows are unfiltered where they were inflated; each is released once the row below it is done.
        uLong adler = adler32(0, nullptr, 0);
        for (std::uint32_t y = 0; y < picture.height; ++y) {
            if (!ring.waitForRow(y)) return kConvertDecodeFailed;
            adler = adler32(adler, ring.slot(y), static_cast<uInt>(stride));
            std::uint8_t* row = ring.slot(y) + 1;
            const std::uint8_t* above = y > 0 ? ring.slot(y - 1) + 1 : none.data();
            if (!unfilterRow(bpp, row[-1], row, above, rowBytes)) return kConvertDecodeFailed;
            sink.row(static_cast<int>(y), toRgb(picture, row, rgb.data()));
            if (y > 0) ring.consumed(y - 1);
        }
        ring.consumed(picture.height - 1);
        return ring.waitForEnd() && stream.adlerMatches(adler) ? kConvertOk : kConvertDecodeFailed;
    } catch (const std::system_error&) {
        return kConvertDecodeFailed;  // no thread to inflate on
    }
}

}  // namespace tessary::image::decode
