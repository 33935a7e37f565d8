// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/definitions/definitions.h"
#include "app/definitions/unit_names.h"
#include "app/definitions/unit_records.h"
#include "app/model/properties.h"

namespace tessary {

namespace {

using namespace records;

constexpr int kLeft = 12;
constexpr int kWidth = 306;

// A caption above its slider, the pair 50 pixels high from the given top. A change is finished when the
// slider is let go of (or, from the keyboard, shortly after the last key).
void labelledSlider(WindowDef& w, const char* labelName, const char* sliderName, int top, std::string caption,
                    int minimum, int maximum, int position, int width = kWidth) {
    w.units.push_back(label(labelName, {kLeft, top, kWidth, 18}, std::move(caption)));
    UnitDef s =
        slider(sliderName, {kLeft, top + 18, width, 24}, minimum, maximum, position, "pictureOptionSliding");
    s.events.push_back({event::kLeftDown, "pictureOptionPressed"});
    s.events.push_back({event::kLeftUp, "pictureOptionReleased"});
    w.units.push_back(std::move(s));
}

WindowDef build() {
    WindowDef w;
    w.name = "Picture options";
    w.width = 336;
    w.height = 555;
    w.clientWidth = 330;
    w.clientHeight = 526;
    w.besideMainClearOf = unit::分组框2;  // the preview it changes stays in view
    w.minimizeBox = false;
    w.maximizeBox = false;
    w.properties = {{prop::window::kCaption, std::string("Picture options")},
                    {prop::window::kBorderStyle, 2},
                    {prop::window::kBackColour, kDefault}};
    w.events = {{event::kCreated, "showPictureOptions"}, {event::kDestroying, "pictureOptionsClosing"}};
    w.shortcuts = {{"Escape", "closePictureOptions"}};
    // The conversion list first: it has the focus when the window opens. Stepped through with the keys or
    // the wheel, its change is finished shortly after the last step, as a slider's.
    w.units.push_back(dropDownList(unit::组合框转换, {kLeft, 30, kWidth, 24},
                                   {"Threshold", "Floyd–Steinberg", "Atkinson", "Jarvis–Judice–Ninke",
                                    "Stucki", "Ordered (Bayer 8×8)", "Halftone dots"},
                                   0, "pictureOptionSliding"));
    w.units.push_back(label(unit::标签转换, {kLeft, 10, kWidth, 18}, "Conversion:"));
    // The level as a grey 0..255; the options keep it as R + G + B (grey 128 is the default 383).
    labelledSlider(w, unit::标签阈值, unit::滑块阈值, 62, "Threshold level: 128 of 255", 0, 255, 128);
    labelledSlider(w, unit::标签网格, unit::滑块网格, 112, "Halftone cell: 6 px", 2, 32, 6);
    labelledSlider(w, unit::标签角度, unit::滑块角度, 162, "Halftone angle: 45°", 0, 90, 45);
    // Brightness and contrast run from -100 to 100: their sliders hold the value + 100.
    labelledSlider(w, unit::标签亮度, unit::滑块亮度, 212, "Brightness: 0", 0, 200, 100);
    labelledSlider(w, unit::标签对比度, unit::滑块对比度, 262, "Contrast: 0", 0, 200, 100);
    labelledSlider(w, unit::标签伽马, unit::滑块伽马, 312, "Gamma: 1.00", 20, 500, 100);
    labelledSlider(w, unit::标签锐化, unit::滑块锐化, 362, "Sharpen: 0", 0, 100, 0);
    // Dots across the picture's longer side; 0 is its own size.
    labelledSlider(w, unit::标签尺寸, unit::滑块尺寸, 412, "Size: its own, at most the field", 0, 490, 0,
                   200);
    w.units.push_back(
        toggle(unit::按钮填满, {kLeft + 210, 428, 96, 30}, "Fill the field", "pictureOptionChanged"));
    w.units.push_back(toggle(unit::按钮反相, {kLeft, 478, 96, 32}, "Invert", "pictureOptionChanged"));
    w.units.push_back(
        toggle(unit::按钮自动色阶, {kLeft + 105, 478, 96, 32}, "Auto level", "pictureOptionChanged"));
    w.units.push_back(
        button(unit::按钮默认, "", {kLeft + 210, 478, 96, 32}, "Defaults", "pictureOptionsDefaults"));
    return w;
}

}  // namespace

const WindowDef& pictureOptionsWindowDefinition() {
    static const WindowDef def = build();
    return def;
}

}  // namespace tessary
