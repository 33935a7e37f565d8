// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bitmap object 位图: one image in the BMP layout (40-byte info header, colour table, pixel rows
// bottom row first), as held between the steps of the picture pipeline and sent to the engraver.
// Every operation that changes an image returns a new object and leaves its source as it was.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "image/bmp_header.h"

namespace tessary::image {

using Bytes = std::vector<std::uint8_t>;

// The colour table a new image of this depth gets, as 0x00BBGGRR values (empty above 8 bits).
std::span<const std::uint32_t> defaultColourTable(int bitsPerPixel);

class Bitmap {
  public:
    // A new image of this size and depth with the default colour table, every stored bit 0.
    // Fails (empty object) for an unsupported depth or size.
    static Bitmap create(int width, int height, int bitsPerPixel);

    // Takes BMP file data. Whatever happens, the previous image is gone; on refusal the object stays empty.
    bool 载入数据(std::span<const std::uint8_t> data);
    // BMP file data; empty when the object is empty.
    Bytes ToByteSet() const;
    Bitmap Rotate90(bool clockwise) const;
    Bitmap Mirror(bool leftRight, bool topBottom) const;

    bool empty() const { return block_.empty(); }
    int width() const { return width_; }
    int height() const { return height_; }
    int bitsPerPixel() const { return bits_; }
    std::size_t stride() const { return stride_; }

    // Stored row r (0 = the bottom row of the picture).
    const std::uint8_t* storedRow(int r) const { return pixels() + static_cast<std::size_t>(r) * stride_; }
    std::uint8_t* storedRow(int r) { return pixels() + static_cast<std::size_t>(r) * stride_; }
    const std::uint8_t* topRow(int y) const { return storedRow(height_ - 1 - y); }
    std::uint8_t* topRow(int y) { return storedRow(height_ - 1 - y); }
    // Colours (0x00BBGGRR) of picture row y (top-down), width() values.
    void readRow(int y, std::uint32_t* colours) const;

  private:
    static Bitmap blank(int width, int height, int bitsPerPixel, std::span<const std::uint32_t> table);
    std::optional<Bitmap> sameDepthBlank(int width, int height) const;
    void adopt(Bytes block);
    std::uint32_t tableColour(unsigned index) const;
    std::vector<std::uint32_t> colourTable() const;
    std::uint8_t* pixels() { return block_.data() + pixelStart_; }
    const std::uint8_t* pixels() const { return block_.data() + pixelStart_; }

    Bytes block_;  // info header, colour table, pixel rows: a BMP file from offset 14 on
    int width_ = 0;
    int height_ = 0;
    int bits_ = 0;
    std::size_t colours_ = 0;  // colour-table entries
    std::size_t stride_ = 0;
    std::size_t pixelStart_ = 0;
};

using 位图 = Bitmap;

}  // namespace tessary::image
