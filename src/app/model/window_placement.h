// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a window that works beside the main window opens: next to it on the screen, never over the part of
// it that the window controls when there is any way round that.
namespace tessary {

struct ScreenRect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const ScreenRect&) const = default;
};

// The frame of a window of width x height: right of the main window's frame, else left of it, where it
// fits on the screen; else against the screen's right or left edge, whichever leaves keepClear uncovered
// (or covers least of it). Level with the main window's top, and always inside the screen as far as the
// window's size allows.
ScreenRect placeBeside(const ScreenRect& main, const ScreenRect& keepClear, int width, int height,
                       const ScreenRect& screen);

}  // namespace tessary
