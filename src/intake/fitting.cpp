// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/fitting.h"

#include <algorithm>
#include <cmath>

namespace tessary::intake {

Placement fitIntoField(int w, int h) {
    const double W = w, H = h, field = kField, centre = kField / 2;
    if (w < kField && h < kField) {
        return {static_cast<int>(centre - W / 2), static_cast<int>(centre - H / 2), w, h};
    }
    if (w >= h) {
        const double dh = H * field / W;
        return {0, static_cast<int>(centre - dh / 2), kField, static_cast<int>(dh)};
    }
    const double dw = W * field / H;
    return {static_cast<int>(centre - dw / 2), 0, static_cast<int>(dw), kField};
}

DrawnSize sizedForField(int w, int h, int size, bool fill) {
    if (w <= 0 || h <= 0) return {};
    const double W = w, H = h;
    if (!fill && size <= 0) {
        if (w < kField && h < kField) return {w, h};
        if (w >= h) return {kField, static_cast<int>(H * kField / W)};
        return {static_cast<int>(W * kField / H), kField};
    }
    const int longer = fill ? kField : std::min(size, kField);
    if (w >= h) return {longer, std::max(1, static_cast<int>(H * longer / W))};
    return {std::max(1, static_cast<int>(W * longer / H)), longer};
}

DrawnSize zoomed(DrawnSize drawn, int steps) {
    if (steps == 0) return drawn;
    const double factor = steps > 0 ? std::pow(550.0 / 510.0, steps) : std::pow(0.95, -steps);
    return {static_cast<int>(drawn.width * factor), static_cast<int>(drawn.height * factor)};
}

int zoomInStep(DrawnSize drawn, int steps) {
    if (steps >= kZoomStepLimit) return steps;
    const DrawnSize next = zoomed(drawn, steps + 1);
    return std::max(next.width, next.height) > kMaxZoomedSide ? steps : steps + 1;
}

int zoomOutStep(DrawnSize drawn, int steps) {
    if (steps <= -kZoomStepLimit) return steps;
    const DrawnSize now = zoomed(drawn, steps);
    return now.width <= 0 && now.height <= 0 ? steps : steps - 1;
}

Placement placeInField(int w, int h, int size, bool fill, int steps) {
    if (size <= 0 && !fill && steps == 0) return fitIntoField(w, h);
    return centredInField(zoomed(sizedForField(w, h, size, fill), steps));
}

Placement centredInField(DrawnSize drawn) {
    const double centre = kField / 2;
    return {static_cast<int>(centre - drawn.width / 2.0), static_cast<int>(centre - drawn.height / 2.0),
            drawn.width, drawn.height};
}

}  // namespace tessary::intake
