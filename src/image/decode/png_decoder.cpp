// SPDX-License-Identifier: GPL-3.0-or-later
// PNG through libpng. libpng reports errors by jumping back to the setjmp of the running step; each step is
// a function of its own that creates nothing with a destructor, so the jump skips no C++ clean-up.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <vector>

#include "image/decode/decoders.h"
#include "image/decode/png_fast.h"

namespace tessary::image::decode {
namespace {

// libpng's own guards against headers claiming absurd sizes and against huge ancillary chunks.
constexpr png_uint_32 kPngMaxSide = 1'000'000;
constexpr png_alloc_size_t kPngChunkLimit = 8'000'000;

[[noreturn]] void failPng(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignoreWarning(png_structp, png_const_charp) {}

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngReader() {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failPng, ignoreWarning);
        if (png) info = png_create_info_struct(png);
    }
    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;
};

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int interlace = 0;
};

bool readInfo(PngReader& r, std::FILE* file, PngHeader& h) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_init_io(r.png, file);
    png_set_sig_bytes(r.png, 8);
    png_set_user_limits(r.png, kPngMaxSide, kPngMaxSide);
    png_set_chunk_malloc_max(r.png, kPngChunkLimit);
    png_read_info(r.png, r.info);
    int colorType = 0;
    png_get_IHDR(r.png, r.info, &h.width, &h.height, &h.bitDepth, &colorType, &h.interlace, nullptr, nullptr);
    return true;
}

// Palette, grey and transparency key all become 8-bit RGB, with an alpha channel where any transparency
// exists; 16-bit samples stay as they are, grey or colour, with a transparency key as alpha. Returns the
// channels per pixel (3 or 4; 1 to 4 of 16 bits), 0 on failure.
int setTransforms(PngReader& r, bool deep, int& passes) {
    if (setjmp(png_jmpbuf(r.png))) return 0;
    png_set_expand(r.png);
    if (!deep) png_set_gray_to_rgb(r.png);
    passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    const int channels = png_get_channels(r.png, r.info);
    if (png_get_bit_depth(r.png, r.info) != (deep ? 16 : 8) || channels > 4 || (!deep && channels < 3))
        return 0;
    return channels;
}

void toRgbOverWhite(const png_byte* in, std::uint8_t* out, png_uint_32 width, int channels) {
    if (channels == 3) {
        std::copy(in, in + std::size_t{width} * 3, out);
        return;
    }
    for (png_uint_32 x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned a = in[3];
        for (int i = 0; i < 3; ++i)
            out[i] = a == 255 ? in[i] : static_cast<std::uint8_t>((in[i] * a + 255 * (255 - a) + 127) / 255);
    }
}

// 16-bit samples (most significant byte first) rounded to 8 bits; transparent ones are put over white at
// 16 bits first, as a reader of the full depth would.
void deepToRgbOverWhite(const png_byte* in, std::uint8_t* out, png_uint_32 width, int channels) {
    const bool alpha = channels % 2 == 0;
    const int colours = alpha ? channels - 1 : channels;
    for (png_uint_32 x = 0; x < width; ++x, in += 2 * channels, out += 3) {
        const std::uint32_t a = alpha ? std::uint32_t{in[2 * colours]} << 8 | in[2 * colours + 1] : 65535;
        for (int i = 0; i < 3; ++i) {
            const png_byte* sample = in + (colours == 1 ? 0 : 2 * i);
            std::uint32_t v = std::uint32_t{sample[0]} << 8 | sample[1];
            if (a != 65535) v = (v * a + 65535 * (65535 - a) + 32767) / 65535;
            out[i] = static_cast<std::uint8_t>((v * 255 + 32895) >> 16);
        }
    }
}

bool readRows(PngReader& r, const PngHeader& h, int channels, int passes, png_bytep rows, std::uint8_t* rgb,
              RowSink& sink) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    const bool deep = h.bitDepth == 16;
    const std::size_t rowBytes = std::size_t{h.width} * channels * (deep ? 2 : 1);
    auto deliver = [&](png_uint_32 y, const png_byte* row) {
        if (deep)
            deepToRgbOverWhite(row, rgb, h.width, channels);
        else
            toRgbOverWhite(row, rgb, h.width, channels);
        sink.row(static_cast<int>(y), rgb);
    };
    if (passes == 1) {
        for (png_uint_32 y = 0; y < h.height; ++y) {
            png_read_row(r.png, rows, nullptr);
            deliver(y, rows);
        }
        return true;
    }
    // The passes of an interlaced picture fill the rows in turn, so all of them are kept.
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < h.height; ++y) png_read_row(r.png, rows + y * rowBytes, nullptr);
    for (png_uint_32 y = 0; y < h.height; ++y) deliver(y, rows + y * rowBytes);
    return true;
}

int decodePngWith(const Input& in, RowSink& sink, DecodeInfo* info, bool fast) {
    png_byte signature[8];
    if (!readAt(in, 0, signature, sizeof signature) || png_sig_cmp(signature, 0, sizeof signature) != 0)
        return kConvertRefused;
    PngReader reader;
    if (!reader.png || !reader.info) return kConvertRefused;
    PngHeader h;
    if (!readInfo(reader, in.file, h)) return kConvertRefused;

    if (std::uint64_t{h.width} * h.height > kMaxDeliveredPixels) return kConvertDecodeFailed;
    if (PngFastPicture picture; fast && pngFastPicture(reader.png, reader.info, picture))
        return decodePngFast(in, picture, sink, info);
    int passes = 1;
    const bool deep = h.bitDepth == 16;
    const int channels = setTransforms(reader, deep, passes);
    if (channels == 0) return kConvertDecodeFailed;
    const std::size_t rowBytes = std::size_t{h.width} * channels * (deep ? 2 : 1);
    // An interlaced picture is held whole: at most as much as the largest one of 8 bits with alpha.
    if (passes > 1 && rowBytes * h.height > kMaxDeliveredPixels * 4) return kConvertDecodeFailed;
    std::vector<png_byte> rows(passes == 1 ? rowBytes : rowBytes * h.height);
    std::vector<std::uint8_t> rgb(std::size_t{h.width} * 3);
    if (!startRows(sink, info, PictureFormat::Png, h.width, h.height, h.width, h.height))
        return kConvertDecodeFailed;
    return readRows(reader, h, channels, passes, rows.data(), rgb.data(), sink) ? kConvertOk
                                                                                : kConvertDecodeFailed;
}

}  // namespace

int decodePng(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    return decodePngWith(in, sink, info, true);
}

int decodePngThroughLibpng(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    return decodePngWith(in, sink, info, false);
}

}  // namespace tessary::image::decode
