// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/nearest_scaler.h"

#include <algorithm>
#include <cstring>

namespace tessary::image {
namespace {

// Source index for destination index i when n source pixels are stretched to m: the one under i's centre.
int nearestSource(std::int64_t i, std::int64_t n, std::int64_t m) {
    return static_cast<int>((2 * i + 1) * n / (2 * m));
}

}  // namespace

NearestScaler::NearestScaler(int width, int height) : NearestScaler(width, height, 0, 0, width, height, {}) {
    own_ = Raster(width, height);
    to_ = {own_.rgb.data(), std::ptrdiff_t{width} * 3, false};
}

NearestScaler::NearestScaler(int width, int height, int left, int top, int windowWidth, int windowHeight,
                             const RowTarget& to)
    : width_(width),
      height_(height),
      left_(left),
      top_(top),
      windowWidth_(windowWidth),
      windowHeight_(windowHeight),
      to_(to) {}

bool NearestScaler::begin(int width, int height) {
    sourceHeight_ = height;
    columns_.resize(static_cast<std::size_t>(std::max(windowWidth_, 0)));
    for (int i = 0; i < windowWidth_; ++i) columns_[i] = nearestSource(left_ + i, width, width_);
    rows_.resize(static_cast<std::size_t>(std::max(windowHeight_, 0)));
    for (int j = 0; j < windowHeight_; ++j) rows_[j] = nearestSource(top_ + j, height, height_);
    return true;
}

void NearestScaler::row(int y, const std::uint8_t* rgb) {
    if (y < 0 || y >= sourceHeight_) return;
    const auto [first, last] = std::equal_range(rows_.begin(), rows_.end(), y);
    for (auto j = first; j != last; ++j) {
        std::uint8_t* out = to_.first + (j - rows_.begin()) * to_.stride;
        for (int sx : columns_) {
            const std::uint8_t* p = rgb + static_cast<std::size_t>(sx) * 3;
            if (to_.bgr) {
                out[0] = p[2];
                out[1] = p[1];
                out[2] = p[0];
            } else {
                std::memcpy(out, p, 3);
            }
            out += 3;
        }
    }
}

}  // namespace tessary::image
