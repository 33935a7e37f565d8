// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Nearest-neighbour stretching: each destination pixel is the source pixel under its centre, so whole source
// rows and columns are dropped or repeated, with no blending. Rows may arrive in any order, so a decoder can
// feed a picture straight in.
#include <vector>

#include "image/row_sink.h"
#include "raster/raster.h"

namespace tessary::image {

class NearestScaler : public RowSink {
  public:
    // Scales to width x height, into a picture of its own (take()).
    NearestScaler(int width, int height);
    // Scales to width x height but writes only the window (left, top, windowWidth, windowHeight) of it, to
    // `to`.
    NearestScaler(int width, int height, int left, int top, int windowWidth, int windowHeight,
                  const RowTarget& to);

    bool begin(int width, int height) override;
    void row(int y, const std::uint8_t* rgb) override;
    Raster take() { return std::move(own_); }

  private:
    int width_, height_, left_, top_, windowWidth_, windowHeight_;
    Raster own_;
    RowTarget to_;
    int sourceHeight_ = 0;
    std::vector<int> columns_;  // the source column of each window column
    std::vector<int> rows_;     // the source row of each window row, ascending
};

}  // namespace tessary::image
