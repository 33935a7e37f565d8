// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/model/window_placement.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tessary {

namespace {

constexpr int kGap = 8;

std::int64_t overlap(const ScreenRect& a, const ScreenRect& b) {
    const std::int64_t w = std::min(a.right(), b.right()) - std::max(a.left, b.left);
    const std::int64_t h = std::min(a.bottom(), b.bottom()) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

int clampInto(int position, int size, int areaStart, int areaSize) {
    return std::max(areaStart, std::min(position, areaStart + areaSize - size));
}

}  // namespace

ScreenRect placeBeside(const ScreenRect& main, const ScreenRect& keepClear, int width, int height,
                       const ScreenRect& screen) {
    const int top = clampInto(main.top, height, screen.top, screen.height);
    const auto at = [&](int left) {
        return ScreenRect{clampInto(left, width, screen.left, screen.width), top, width, height};
    };
    const ScreenRect right = at(main.right() + kGap), left = at(main.left - kGap - width);
    for (const ScreenRect& beside : {right, left})
        if (overlap(beside, main) == 0) return beside;
    const std::array<ScreenRect, 2> edges = {at(screen.right() - width), at(screen.left)};
    return overlap(edges[1], keepClear) < overlap(edges[0], keepClear) ? edges[1] : edges[0];
}

}  // namespace tessary
