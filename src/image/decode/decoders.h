// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The decoders of the chain, each on an open file. Every decoder returns kConvertRefused when its opening
// test does not accept the file (the chain then tries the next one), kConvertOk, or kConvertDecodeFailed.
// Only the JPEG decoder can use the drawn size of the options.
#include <cstdint>
#include <cstdio>

#include "image/decode/decode.h"

namespace tessary::image::decode {

// Decompression-bomb limits, checked before anything of picture size is allocated.
// Pixels delivered to a sink, whatever the format:
inline constexpr std::uint64_t kMaxDeliveredPixels = 100'000'000;
// A sequential Huffman-coded JPEG decoded at a reduced DCT scale streams through a few rows of memory and
// stops where its data ends, so its own size may be larger; the delivered size still obeys
// kMaxDeliveredPixels.
inline constexpr std::uint64_t kMaxScaledJpegPixels = 1'000'000'000;

struct Input {
    std::FILE* file = nullptr;
    std::uint64_t size = 0;
};

int decodeJpeg(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info);
int decodeBmp(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info);
int decodeTiff(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info);
int decodePng(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info);
// The PNG decoder without its fast path for the common pictures: libpng reads every row.
int decodePngThroughLibpng(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info);
int decodePcx(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info);
int decodePhotoCd(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info);
// Tried only for files none of the six above accepts.
int decodeWebp(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info);
int decodeGif(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info);
// HEIC and AVIF: sniffed here, decoded by decodeHeifPicture in the module tessary-heif (see heif_module.h);
// refused, with a line on standard error, when the module cannot be opened.
int decodeHeif(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info);
// The decoder the module holds: the straight path below first, then libheif.
int decodeHeifPicture(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info);
// The HEIC and AVIF decoder without its own path for plain HEVC photos: libheif reads every picture.
int decodeHeifThroughLibheif(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info);
// That path: a HEIC whose primary picture is HEVC of 8 bits without transparency, crop or mirror, alone
// or as a grid of tiles, read straight through libde265 a row of tiles at a time. kConvertRefused for any
// other file (libheif reads it then); the file's declared sizes must have been checked.
int decodeHeicTiles(const Input& in, RowSink& sink, DecodeInfo* info);

// All of them in order, then `later`: the first opening test that accepts the file decides.
int decodeChain(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info,
                std::span<const Decoder> later = {});

// Records the picture's own size (upright) and format, checks the delivered size against
// kMaxDeliveredPixels and starts the sink, telling it the stored orientation when that is not 1. The sizes
// are those of the rows as stored. False: the decoding must stop (and fail).
bool startRows(RowSink& sink, DecodeInfo* info, PictureFormat format, std::uint64_t ownWidth,
               std::uint64_t ownHeight, std::uint64_t width, std::uint64_t height, int orientation = 1);

// Whole-buffer reads at an absolute offset; false when the file is shorter.
bool readAt(const Input& in, std::uint64_t offset, void* buffer, std::size_t bytes);

}  // namespace tessary::image::decode
