// SPDX-License-Identifier: GPL-3.0-or-later
// The Picture options window: the conversion and the adjustments, remembered per user and applied to the
// kept picture as soon as a control changes.
#include <array>
#include <cstdio>
#include <exception>
#include <string>

#include "app/definitions/definitions.h"
#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "image/conversion.h"
#include "intake/handlers/intake_handlers.h"
#include "intake/handlers/main_window_surroundings.h"

namespace tessary::intake {
namespace {

constexpr std::string_view kList = unit::组合框转换;
constexpr std::string_view kInvert = unit::按钮反相;
constexpr std::string_view kAutoLevel = unit::按钮自动色阶;

// A slider of the window, the option it sets and how its label shows the value.
struct SliderOption {
    std::string_view slider;
    std::string_view label;
    int image::ConversionOptions::*field;
    const char* caption;  // printf format of the label
    bool hundredths;
    int offset = 0;  // slider position = value + offset: a slider's range cannot go below 0
};
constexpr std::array<SliderOption, 7> kSliders = {{
    {unit::滑块阈值, unit::标签阈值, &image::ConversionOptions::threshold, "Threshold level: %d", false},
    {unit::滑块网格, unit::标签网格, &image::ConversionOptions::cell, "Halftone cell: %d px", false},
    {unit::滑块角度, unit::标签角度, &image::ConversionOptions::angle, "Halftone angle: %d°", false},
    {unit::滑块亮度, unit::标签亮度, &image::ConversionOptions::brightness, "Brightness: %d", false, 100},
    {unit::滑块对比度, unit::标签对比度, &image::ConversionOptions::contrast, "Contrast: %d", false, 100},
    {unit::滑块伽马, unit::标签伽马, &image::ConversionOptions::gamma, "Gamma: %d.%02d", true},
    {unit::滑块锐化, unit::标签锐化, &image::ConversionOptions::sharpen, "Sharpen: %d", false},
}};

// Settings keys, beside the mode's.
constexpr std::string_view kModeKey = "picture/conversion";
constexpr std::array<std::pair<std::string_view, int image::ConversionOptions::*>, 7> kNumberKeys = {{
    {"picture/threshold", &image::ConversionOptions::threshold},
    {"picture/cell", &image::ConversionOptions::cell},
    {"picture/angle", &image::ConversionOptions::angle},
    {"picture/brightness", &image::ConversionOptions::brightness},
    {"picture/contrast", &image::ConversionOptions::contrast},
    {"picture/gamma", &image::ConversionOptions::gamma},
    {"picture/sharpen", &image::ConversionOptions::sharpen},
}};

struct OptionsWindowState {
    bool applying = false;  // the handler itself is setting the controls
};

std::string labelText(const SliderOption& s, int value) {
    char text[64];
    if (s.hundredths)
        std::snprintf(text, sizeof text, s.caption, value / 100, value % 100);
    else
        std::snprintf(text, sizeof text, s.caption, value);
    return text;
}

void saveOptions(Console& console, const image::ConversionOptions& o) {
    Settings& settings = console.settings();
    settings.setValue(kModeKey, image::conversionKey(o.mode));
    for (const auto& [key, field] : kNumberKeys) settings.setValue(key, std::to_string(o.*field));
    settings.setValue("picture/invert", o.invert ? "true" : "false");
    settings.setValue("picture/autoLevel", o.autoLevel ? "true" : "false");
}

// The labels and which controls the chosen mode uses.
void showValues(Window& window, const image::ConversionOptions& o) {
    for (const SliderOption& s : kSliders)
        window.set(s.label, prop::label::kCaption, labelText(s, o.*(s.field)));
    const bool threshold = o.mode == image::Conversion::Threshold && !o.autoLevel;
    const bool halftone = o.mode == image::Conversion::Halftone;
    window.set(unit::滑块阈值, prop::kDisabled, std::int32_t{threshold ? 0 : 1});
    window.set(unit::滑块网格, prop::kDisabled, std::int32_t{halftone ? 0 : 1});
    window.set(unit::滑块角度, prop::kDisabled, std::int32_t{halftone ? 0 : 1});
}

void setControls(Console& console, Window& window, const image::ConversionOptions& o) {
    auto& ui = console.state<OptionsWindowState>();
    ui.applying = true;
    window.set(kList, prop::combobox::kSelection, static_cast<std::int32_t>(o.mode));
    for (const SliderOption& s : kSliders)
        window.set(s.slider, prop::slider::kPosition, std::int32_t{o.*(s.field) + s.offset});
    window.set(kInvert, prop::button::kChecked, std::int32_t{o.invert ? 1 : 0});
    window.set(kAutoLevel, prop::button::kChecked, std::int32_t{o.autoLevel ? 1 : 0});
    ui.applying = false;
    showValues(window, o);
}

image::ConversionOptions readControls(Window& window) {
    image::ConversionOptions o;
    const int mode = window.getInt(kList, prop::combobox::kSelection);
    o.mode = mode >= 0 && mode < image::kConversionCount ? static_cast<image::Conversion>(mode)
                                                         : image::Conversion{};
    for (const SliderOption& s : kSliders)
        o.*(s.field) = window.getInt(s.slider, prop::slider::kPosition) - s.offset;
    o.invert = window.getInt(kInvert, prop::button::kChecked) != 0;
    o.autoLevel = window.getInt(kAutoLevel, prop::button::kChecked) != 0;
    return o;
}

// New options: remembered, and the kept picture converted with them.
void apply(Console& console, const image::ConversionOptions& options) {
    ImageState& state = console.state<ImageState>();
    state.options = options;
    saveOptions(console, options);
    if (console.hasMainWindow()) {
        MainWindowSurroundings around(console);
        reconvert(state, around);
    }
}

Window* optionsWindow(Console& console) { return console.window(pictureOptionsWindowDefinition().name); }

}  // namespace

void loadPictureOptions(Console& console) {
    struct Loaded {
        bool done = false;
    };
    auto& loaded = console.state<Loaded>();
    if (loaded.done) return;
    loaded.done = true;
    Settings& settings = console.settings();
    image::ConversionOptions o;
    if (const auto mode = settings.value(kModeKey)) o.mode = image::conversionFromKey(*mode).value_or(o.mode);
    const image::ConversionOptions defaults;
    for (const auto& [key, field] : kNumberKeys) {
        const auto text = settings.value(key);
        if (!text) continue;
        try {
            std::size_t used = 0;
            const int v = std::stoi(*text, &used);
            if (used == text->size()) o.*field = v;
        } catch (const std::exception&) {
        }
    }
    o.invert = settings.value("picture/invert").value_or("false") == "true";
    o.autoLevel = settings.value("picture/autoLevel").value_or("false") == "true";
    // A value out of its range (an edited file) falls back to its default, the others stay.
    for (const auto& [key, field] : kNumberKeys) {
        image::ConversionOptions one = defaults;
        one.*field = o.*field;
        if (!one.valid()) o.*field = defaults.*field;
    }
    console.state<ImageState>().options = o;
}

void onOpenPictureOptions(Console& console, const EventArgs&) {
    loadPictureOptions(console);
    console.openWindow(pictureOptionsWindowDefinition());
}

void onPictureOptionsShown(Console& console, const EventArgs&) {
    loadPictureOptions(console);
    if (Window* window = optionsWindow(console))
        setControls(console, *window, console.state<ImageState>().options);
}

void onPictureOptionChanged(Console& console, const EventArgs&) {
    Window* window = optionsWindow(console);
    if (!window || console.state<OptionsWindowState>().applying) return;
    const image::ConversionOptions options = readControls(*window);
    showValues(*window, options);
    if (options != console.state<ImageState>().options) apply(console, options);
}

void onPictureOptionsDefaults(Console& console, const EventArgs&) {
    if (Window* window = optionsWindow(console)) setControls(console, *window, {});
    apply(console, {});
}

void onClosePictureOptions(Console& console, const EventArgs&) {
    if (Window* window = optionsWindow(console)) console.closeWindow(*window);
}

}  // namespace tessary::intake
