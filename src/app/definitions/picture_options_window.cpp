// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/definitions/definitions.h"
#include "app/definitions/unit_records.h"
#include "app/model/properties.h"

namespace tessary {

namespace {

using namespace records;

constexpr int kLeft = 12;
constexpr int kWidth = 306;

// A caption above its slider, the pair 50 pixels high from the given top.
void labelledSlider(WindowDef& w, std::string name, int top, std::string caption, int minimum, int maximum,
                    int position) {
    w.units.push_back(label("标签" + name, {kLeft, top, kWidth, 18}, std::move(caption)));
    w.units.push_back(slider("滑块" + name, {kLeft, top + 18, kWidth, 24}, minimum, maximum, position,
                             "pictureOptionChanged"));
}

WindowDef build() {
    WindowDef w;
    w.name = "Picture options";
    w.width = 336;
    w.height = 505;
    w.clientWidth = 330;
    w.clientHeight = 476;
    w.centred = true;
    w.minimizeBox = false;
    w.maximizeBox = false;
    w.properties = {{prop::window::kCaption, std::string("Picture options")},
                    {prop::window::kBorderStyle, 2},
                    {prop::window::kBackColour, kDefault}};
    w.events = {{event::kCreated, "showPictureOptions"}};
    w.shortcuts = {{"Escape", "closePictureOptions"}};
    // The conversion list first: it has the focus when the window opens.
    w.units.push_back(dropDownList("组合框转换", {kLeft, 30, kWidth, 24},
                                   {"Threshold", "Floyd–Steinberg", "Atkinson", "Jarvis–Judice–Ninke",
                                    "Stucki", "Ordered (Bayer 8×8)", "Halftone dots"},
                                   0, "pictureOptionChanged"));
    w.units.push_back(label("标签转换", {kLeft, 10, kWidth, 18}, "Conversion:"));
    labelledSlider(w, "阈值", 62, "Threshold level: 383", 0, 765, 383);
    labelledSlider(w, "网格", 112, "Halftone cell: 6 px", 2, 32, 6);
    labelledSlider(w, "角度", 162, "Halftone angle: 45°", 0, 90, 45);
    labelledSlider(w, "亮度", 212, "Brightness: 0", -100, 100, 0);
    labelledSlider(w, "对比度", 262, "Contrast: 0", -100, 100, 0);
    labelledSlider(w, "伽马", 312, "Gamma: 1.00", 20, 500, 100);
    labelledSlider(w, "锐化", 362, "Sharpen: 0", 0, 100, 0);
    w.units.push_back(toggle("按钮反相", {kLeft, 428, 96, 32}, "Invert", "pictureOptionChanged"));
    w.units.push_back(
        toggle("按钮自动色阶", {kLeft + 105, 428, 96, 32}, "Auto level", "pictureOptionChanged"));
    w.units.push_back(
        button("按钮默认", "", {kLeft + 210, 428, 96, 32}, "Defaults", "pictureOptionsDefaults"));
    return w;
}

}  // namespace

const WindowDef& pictureOptionsWindowDefinition() {
    static const WindowDef def = build();
    return def;
}

}  // namespace tessary
