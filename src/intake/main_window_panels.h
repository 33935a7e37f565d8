// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drawing on the main window's panels, for everything that redraws the preview: the intake, the view
// operations and the upload.
#include "app/model/window.h"
#include "raster/raster.h"

namespace tessary::intake {

// The picture stretched over the whole of the panel's `width` x `height`, in the panel's resampling mode.
void drawOnPanel(DrawSurface& panel, const Raster& picture, int width, int height);
// The two ruler strips beside the preview.
void drawRulers(Window& main);

}  // namespace tessary::intake
