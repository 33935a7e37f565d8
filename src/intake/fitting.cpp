// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/fitting.h"

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

}  // namespace tessary::intake
