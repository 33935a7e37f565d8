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
#include "platform/paths.h"

namespace tessary::intake {

// Enabled after every intake, in this order.
constexpr std::array<std::string_view, 5> kImageControls = {main_window::kUploadImage, main_window::kZoomIn,
                                                            main_window::kZoomOut, main_window::kRotate,
                                                            main_window::kReload};

class MainWindowSurroundings : public Surroundings {
  public:
    explicit MainWindowSurroundings(Console& console)
        : console_(console), canvas_(console.main().drawPanel(main_window::kCanvas)) {}

    image::Raster& canvas() override { return canvas_.pixels(); }
    std::uint32_t canvasBackground() override { return canvas_.background(); }
    image::Resample resampling() override { return image::modeForDisplayDepth(canvas_.displayDepth()); }
    void canvasChanged() override { canvas_.changed(); }
    std::string previewFile() override { return image::previewFilePath(console_.runDirectory()); }
    void log(std::string_view line) override { console_.appendLog(line); }
    void showPreview(const image::Bytes& bmp) override {
        console_.main().set(main_window::kPreview, prop::picbox::kPicture, bmp);
    }
    void wrongFileType() override { console_.dialogs().messageBox(kWrongFileType, 0, kWrongFileTypeTitle); }
    // The box says which file and why, under its usual text; the log keeps the whole path.
    void refused(std::string_view file, std::string_view reason) override {
        const std::string name = platform::textFromPath(platform::pathFromText(file).filename());
        const std::string who = name.empty() ? std::string(file) : name;
        console_.dialogs().messageBox(
            std::string(kWrongFileType) + "\n\n" + (who.empty() ? "" : who + ": ") + std::string(reason), 0,
            kWrongFileTypeTitle);
        console_.appendLog("Not taken in: " + (file.empty() ? std::string() : std::string(file) + ": ") +
                           std::string(reason) + "\r\n\r\n");
    }
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
