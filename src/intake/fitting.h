// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a dropped picture goes on the canvas: fitted into the 490 x 490 field centred at (245, 245)
// of the 510 x 510 surface, proportions kept, never enlarged.
namespace tessary::intake {

struct Placement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Placement&) const = default;
};

inline constexpr int kField = 490;

// For a picture of w x h pixels (both above 0). Double precision, cut toward zero.
Placement fitIntoField(int w, int h);

}  // namespace tessary::intake
