// SPDX-License-Identifier: GPL-3.0-or-later
// What every decoder does, in the core and in the modules alike: reading at an offset and starting the rows.
#include <algorithm>
#include <climits>

#include "image/decode/decoders.h"
#include "image/decode/orientation.h"

namespace tessary::image::decode {

bool startRows(RowSink& sink, DecodeInfo* info, PictureFormat format, std::uint64_t ownWidth,
               std::uint64_t ownHeight, std::uint64_t width, std::uint64_t height, int orientation) {
    orientation = validOrientation(orientation);
    if (swapsSides(orientation)) std::swap(ownWidth, ownHeight);
    if (info) {
        info->format = format;
        info->width = static_cast<int>(std::min<std::uint64_t>(ownWidth, INT_MAX));
        info->height = static_cast<int>(std::min<std::uint64_t>(ownHeight, INT_MAX));
    }
    if (width == 0 || height == 0 || width > kMaxDeliveredPixels || height > kMaxDeliveredPixels)
        return false;
    if (width * height > kMaxDeliveredPixels) return false;
    if (orientation != 1) sink.storedOrientation(orientation);
    return sink.begin(static_cast<int>(width), static_cast<int>(height));
}

bool readAt(const Input& in, std::uint64_t offset, void* buffer, std::size_t bytes) {
    if (offset > in.size || bytes > in.size - offset) return false;
    if (fseeko(in.file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
    return std::fread(buffer, 1, bytes, in.file) == bytes;
}

}  // namespace tessary::image::decode
