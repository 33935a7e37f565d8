// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdint>
#include <span>

#include "image/decode/decode.h"
#include "image/files.h"
#include "image/picture.h"

namespace tessary::image {

int ConvertPictureFile(const std::string& source, const std::string& destination) {
    if (source.empty() || destination.empty()) return kConvertMissingPath;
    Raster picture;
    const int decoded = decodePicture(source, picture, nullptr);
    if (decoded != kConvertOk) return decoded;
    // Uncompressed 24-bit BMP: 54-byte header, rows bottom-up, blue-green-red, padded to 4 bytes. Written
    // as the preview file is: never through a link, never blocking on a FIFO put in its place.
    const std::uint64_t stride = (static_cast<std::uint64_t>(picture.width) * 24 + 31) / 32 * 4;
    if (54 + stride * static_cast<std::uint64_t>(picture.height) > UINT32_MAX) return kConvertWriteFailed;
    const Bytes bmp = bmp24(picture, false);
    picture = Raster();
    return writeFile(destination, {std::span<const std::uint8_t>(bmp)}) ? kConvertOk : kConvertWriteFailed;
}

}  // namespace tessary::image
