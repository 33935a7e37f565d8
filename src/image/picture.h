// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// BMP data as drawable pictures, and the size of a BMP file.
#include <optional>
#include <span>
#include <string>

#include "image/bitmap.h"
#include "raster/raster.h"

namespace tessary::image {

// The pixels of any BMP data the bitmap object takes (1, 4, 8, 16, 24 and 32 bits); nothing for empty
// or undecodable data, an empty path or an unreadable file.
std::optional<Raster> LoadPicture(std::span<const std::uint8_t> data);
std::optional<Raster> LoadPicture(const std::string& path);

Raster toRaster(const Bitmap& bitmap);
// Uncompressed 24-bit BMP data: pixel offset 54, rows bottom-up; the image-size field holds the
// pixel bytes when fillImageSize is set, else 0.
Bytes bmp24(const Raster& raster, bool fillImageSize);
// The same for a width x height picture whose pixel bytes are all still 0, for a caller that writes the rows
// itself.
Bytes blankBmp24(int width, int height, bool fillImageSize);

}  // namespace tessary::image
