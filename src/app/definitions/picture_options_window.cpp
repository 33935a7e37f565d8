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
    w.height = 595;
    w.clientWidth = 330;
    w.clientHeight = 566;
    w.besideMainClearOf = main_window::kPreviewGroup;  // the preview it changes stays in view
    w.minimizeBox = false;
    w.maximizeBox = false;
    w.properties = {{prop::window::kCaption, std::string("Picture options")},
                    {prop::window::kBorderStyle, 2},
                    {prop::window::kBackColour, kDefault}};
    w.events = {{event::kCreated, "showPictureOptions"}, {event::kDestroying, "pictureOptionsClosing"}};
    w.shortcuts = {{"Escape", "closePictureOptions"}};
    // The conversion list first: it has the focus when the window opens. Stepped through with the keys or
    // the wheel, its change is finished shortly after the last step, as a slider's.
    w.units.push_back(dropDownList(picture_options_window::kConversion, {kLeft, 30, kWidth, 24},
                                   {"Threshold", "Floyd–Steinberg", "Atkinson", "Jarvis–Judice–Ninke",
                                    "Stucki", "Ordered (Bayer 8×8)", "Halftone dots"},
                                   0, "pictureOptionSliding"));
    w.units.push_back(
        label(picture_options_window::kConversionLabel, {kLeft, 10, kWidth, 18}, "Conversion:"));
    // The level as a grey 0..255; the options keep it as R + G + B (grey 128 is the default 383).
    labelledSlider(w, picture_options_window::kThresholdLabel, picture_options_window::kThreshold, 62,
                   "Threshold level: 128 of 255", 0, 255, 128);
    labelledSlider(w, picture_options_window::kHalftoneCellLabel, picture_options_window::kHalftoneCell, 112,
                   "Halftone cell: 6 px", 2, 32, 6);
    labelledSlider(w, picture_options_window::kHalftoneAngleLabel, picture_options_window::kHalftoneAngle,
                   162, "Halftone angle: 45°", 0, 90, 45);
    // Brightness and contrast run from -100 to 100: their sliders hold the value + 100.
    labelledSlider(w, picture_options_window::kBrightnessLabel, picture_options_window::kBrightness, 212,
                   "Brightness: 0", 0, 200, 100);
    labelledSlider(w, picture_options_window::kContrastLabel, picture_options_window::kContrast, 262,
                   "Contrast: 0", 0, 200, 100);
    labelledSlider(w, picture_options_window::kGammaLabel, picture_options_window::kGamma, 312, "Gamma: 1.00",
                   20, 500, 100);
    labelledSlider(w, picture_options_window::kSharpenLabel, picture_options_window::kSharpen, 362,
                   "Sharpen: 0", 0, 100, 0);
    // Dots across the picture's longer side; 0 is its own size.
    labelledSlider(w, picture_options_window::kSizeLabel, picture_options_window::kSize, 412,
                   "Size: its own, at most the field", 0, 490, 0, 200);
    w.units.push_back(toggle(picture_options_window::kFill, {kLeft + 210, 428, 96, 30}, "Fill the field",
                             "pictureOptionChanged"));
    w.units.push_back(
        toggle(picture_options_window::kInvert, {kLeft, 478, 96, 32}, "Invert", "pictureOptionChanged"));
    w.units.push_back(toggle(picture_options_window::kAutoLevel, {kLeft + 105, 478, 96, 32}, "Auto level",
                             "pictureOptionChanged"));
    w.units.push_back(button(picture_options_window::kDefaults, "", {kLeft + 210, 478, 96, 32}, "Defaults",
                             "pictureOptionsDefaults"));
    // The whole engraving mirrored left to right, as stamps and glass engraved from behind need it.
    w.units.push_back(
        toggle(picture_options_window::kMirror, {kLeft, 518, 96, 32}, "Mirror", "pictureOptionChanged"));
    return w;
}

}  // namespace

const WindowDef& pictureOptionsWindowDefinition() {
    static const WindowDef def = build();
    return def;
}

}  // namespace tessary
