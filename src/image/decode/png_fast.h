// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The common PNG pictures (8-bit grey, grey + alpha, RGB, RGBA, palette; not interlaced) read without
// libpng's row machinery: one thread inflates the image data into a small ring of filtered rows while the
// calling thread unfilters them, composites them over white and hands them to the sink. libpng still reads
// everything up to the first image data chunk, so every header rule stays libpng's.
#include <png.h>

#include <cstdint>

#include "image/decode/decoders.h"

namespace tessary::image::decode {

struct PngFastPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int colorType = 0;    // PNG_COLOR_TYPE_GRAY, _GRAY_ALPHA, _RGB, _RGB_ALPHA or _PALETTE
    bool hasKey = false;  // grey or RGB with a transparent colour
    std::uint8_t key[3] = {};
    std::uint8_t palette[256][3] = {};  // already over white; entries past the palette are black
};

// After png_read_info: whether the picture is one the fast path reads, and what it needs of the header.
bool pngFastPicture(png_structp png, png_infop info, PngFastPicture& out);

// Reads the image data from the first IDAT chunk on; the file stands just after that chunk's header.
int decodePngFast(const Input& in, const PngFastPicture& picture, RowSink& sink, DecodeInfo* info);

}  // namespace tessary::image::decode
