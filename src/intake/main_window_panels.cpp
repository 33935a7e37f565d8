// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/main_window_panels.h"

#include <optional>
#include <span>
#include <string_view>

#include "app/definitions/unit_names.h"
#include "image/canvas.h"
#include "image/picture.h"
#include "intake/intake.h"
#include "tessary_resources.h"

namespace tessary::intake {
namespace {

constexpr int kRulerWidth = 12;

void drawRuler(Window& main, std::string_view unit, std::span<const std::uint8_t> bmp, int width,
               int height) {
    DrawSurface& panel = main.drawPanel(unit);
    if (const auto ruler = image::LoadPicture(bmp)) {
        drawOnPanel(panel, *ruler, width, height);
    } else {
        panel.changed();
    }
}

}  // namespace

void drawOnPanel(DrawSurface& panel, const Raster& picture, int width, int height) {
    image::drawPicture(panel.pixels(), picture, 0, 0, width, height,
                       image::modeForDisplayDepth(panel.displayDepth()));
    panel.changed();
}

void drawRulers(Window& main) {
    drawRuler(main, main_window::kVerticalRuler, resources::verticalRulerBmp(), kRulerWidth, kSnapshotSize);
    drawRuler(main, main_window::kHorizontalRuler, resources::horizontalRulerBmp(), kSnapshotSize,
              kRulerWidth);
}

}  // namespace tessary::intake
