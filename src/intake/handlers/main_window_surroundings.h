// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the intake and the view operations change on the console's main window.
#include <array>
#include <string_view>

#include "app/console.h"
#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "app/shell/control_states.h"
#include "image/files.h"
#include "image/picture.h"
#include "intake/intake.h"
#include "intake/main_window_panels.h"

namespace tessary::intake {

constexpr std::string_view kCanvas = unit::画板1;
constexpr std::string_view kPreview = unit::图片框1;
// Enabled after every intake, in this order.
constexpr std::array<std::string_view, 5> kImageControls = {unit::按钮发送数据, unit::按钮放大,
                                                            unit::按钮缩小, unit::按钮旋转, unit::按钮重载};

class MainWindowSurroundings : public Surroundings {
  public:
    explicit MainWindowSurroundings(Console& console)
        : console_(console), canvas_(console.main().drawPanel(kCanvas)) {}

    image::Raster& canvas() override { return canvas_.pixels(); }
    std::uint32_t canvasBackground() override { return canvas_.background(); }
    image::Resample resampling() override { return image::modeForDisplayDepth(canvas_.displayDepth()); }
    void canvasChanged() override { canvas_.changed(); }
    std::string previewFile() override { return image::previewFilePath(console_.runDirectory()); }
    void log(std::string_view line) override { console_.appendLog(line); }
    void showPreview(const image::Bytes& bmp) override {
        console_.main().set(kPreview, prop::picbox::kPicture, bmp);
    }
    void wrongFileType() override { console_.dialogs().messageBox(kWrongFileType, 0, kWrongFileTypeTitle); }
    void noText() override { console_.dialogs().messageBox(kNoText, 0, "Text"); }
    void drawRulers() override { intake::drawRulers(console_.main()); }
    void enableImageControls() override {
        shell::applyDisconnectedState(console_);
        for (std::string_view unit : kImageControls)
            console_.main().set(unit, prop::kDisabled, std::int32_t{0});
    }

  private:
    Console& console_;
    DrawSurface& canvas_;
};

}  // namespace tessary::intake
