// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture decoders: the format is decided by the file's content, in a fixed order
// (JPEG, BMP, TIFF, PNG, PCX, Photo CD, then WebP, GIF, HEIC/AVIF); the first decoder whose opening test
// accepts the file decodes it. Decoders outside this library (SVG, over Qt) can be tried after them.
#include <functional>
#include <span>
#include <string>
#include <utility>

#include "image/row_sink.h"
#include "platform/unique_fd.h"
#include "raster/raster.h"

namespace tessary::image {

enum class PictureFormat { None, Jpeg, Bmp, Tiff, Png, Pcx, PhotoCd, WebP, Gif, Heif, Svg };

struct DecodeOptions {
    // Given the picture's own size, the size it will be drawn at. A decoder that can decode at a reduced
    // scale (JPEG's DCT scaling) may deliver fewer pixels, but never fewer than this on either side.
    // Empty: always the full size.
    std::function<std::pair<int, int>(int width, int height)> drawnSize;
};

struct DecodeInfo {
    PictureFormat format = PictureFormat::None;
    int width = 0;  // the picture's own size, upright, whatever scale the rows were delivered at
    int height = 0;
};

namespace decode {
struct Input;
}
// A decoder on an open file (see decode/decoders.h).
using Decoder = int (*)(const decode::Input&, RowSink&, const DecodeOptions&, DecodeInfo*);

// Result codes of ConvertPictureFile and decodePicture.
inline constexpr int kConvertOk = 1;
inline constexpr int kConvertMissingPath = -7;
inline constexpr int kConvertWriteFailed = -4;
inline constexpr int kConvertRefused = 0;        // no opening test accepted the file, or no such file
inline constexpr int kConvertDecodeFailed = -1;  // an opening test accepted it, the decoding failed

// Decodes the picture file into the sink, trying `later` after this library's own decoders. Returns
// kConvertOk or a failure code; on failure the sink may have received some rows.
int decodePicture(const std::string& path, RowSink& sink, const DecodeOptions& options, DecodeInfo* info,
                  std::span<const Decoder> later = {});

// The same over a file already open for reading, at its start (it is closed at the end).
int decodePicture(platform::UniqueFd fd, RowSink& sink, const DecodeOptions& options, DecodeInfo* info,
                  std::span<const Decoder> later = {});

// The whole picture in memory, 24 bits.
int decodePicture(const std::string& path, Raster& out, DecodeInfo* info);

// Decodes the source and writes it as an uncompressed 24-bit BMP file; the destination is opened only
// after a successful decoding, so a refused file leaves an existing destination untouched.
int ConvertPictureFile(const std::string& source, const std::string& destination);

}  // namespace tessary::image
