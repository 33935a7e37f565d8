#pragma once
// Decoders hand their pixels to a sink row by row, so that a large picture can be scaled down
// while it is decoded, without holding it whole.
#include <cstdint>

namespace tessary::image {

class RowSink {
public:
    virtual ~RowSink() = default;
    // Called once, before any row, with the size of the rows that follow. Returning false aborts the decoding.
    virtual bool begin(int width, int height) = 0;
    // One row, `width` pixels of red, green, blue. Rows may come in any order (a bottom-up BMP sends the
    // bottom row first), each exactly once.
    virtual void row(int y, const std::uint8_t* rgb) = 0;
};

}  // namespace tessary::image
