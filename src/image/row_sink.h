// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decoders hand their pixels to a sink row by row, so that a large picture can be scaled down
// while it is decoded, without holding it whole.
#include <cstddef>
#include <cstdint>

namespace tessary::image {

class RowSink {
  public:
    virtual ~RowSink() = default;
    // Called once, before any row, with the size of the rows that follow. Returning false aborts the
    // decoding.
    virtual bool begin(int width, int height) = 0;
    // Told before begin, and only when it is not 1: the rows come as the camera stored them, and this
    // orientation (2..8) sets them upright. A sink that does not turn them keeps the picture as stored.
    virtual void storedOrientation(int orientation) { static_cast<void>(orientation); }
    // One row, `width` pixels of red, green, blue. Rows may come in any order (a bottom-up BMP sends the
    // bottom row first), each exactly once.
    virtual void row(int y, const std::uint8_t* rgb) = 0;
    // `count` rows from y on, row y + i at rgb + i x stride: the same as a row() each, for a sink that adds
    // several rows up in one pass.
    virtual void rows(int y, const std::uint8_t* rgb, std::size_t stride, int count) {
        for (int i = 0; i < count; ++i) row(y + i, rgb + static_cast<std::size_t>(i) * stride);
    }
    // For a decoder that can read two bands of rows at once: after begin and before any row, a sink that
    // can take the rows from `first` on on a second thread hands out a sink for them (owned by this one),
    // and join(), called once both bands are in, adds what it took back in. nullptr: one thread only.
    virtual RowSink* splitAt(int first) {
        static_cast<void>(first);
        return nullptr;
    }
    virtual void join() {}
};

// Where a scaler writes its window's rows: row r starts at first + r * stride (a negative stride for rows
// stored bottom-up); with bgr each pixel is stored blue first.
struct RowTarget {
    std::uint8_t* first = nullptr;
    std::ptrdiff_t stride = 0;
    bool bgr = false;
};

}  // namespace tessary::image
