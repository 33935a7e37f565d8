// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a dropped picture goes on the canvas: fitted into the 490 x 490 field centred at (245, 245)
// of the 510 x 510 surface, proportions kept, never enlarged; or at the size the operator chose, and
// zoomed by the view buttons, still centred.
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

struct DrawnSize {
    int width = 0;
    int height = 0;
    bool operator==(const DrawnSize&) const = default;
};

// The size a picture of w x h pixels is drawn at: fitted into the field (size 0), its longer side at `size`
// dots, or across the whole field (`fill`); a chosen size enlarges small pictures too, and keeps the
// shorter side at least one dot.
DrawnSize sizedForField(int w, int h, int size, bool fill);

// Zoom In's factor 550 / 510 for each step up, Zoom Out's 0.95 for each step down, from the drawn size;
// cut toward zero.
DrawnSize zoomed(DrawnSize drawn, int steps);
// The zoom steps kept within reach: not so far in that a side passes kMaxZoomedSide, not further out once
// nothing is left of the picture.
inline constexpr int kMaxZoomedSide = 16384;
inline constexpr int kZoomStepLimit = 200;
int zoomInStep(DrawnSize drawn, int steps);
int zoomOutStep(DrawnSize drawn, int steps);

// A picture of that size centred on the field's centre (its top-left, cut toward zero).
Placement centredInField(DrawnSize drawn);

// The picture of w x h pixels at the chosen size and zoom steps: fitIntoField when nothing was chosen.
Placement placeInField(int w, int h, int size, bool fill, int steps);

}  // namespace tessary::intake
