// SPDX-License-Identifier: GPL-3.0-or-later
// The Picture options window: the size, the conversion and the adjustments, remembered per user and applied
// to the picture as soon as a control changes; the log hears of a change once it is finished.
#include <array>
#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "app/definitions/definitions.h"
#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "image/conversion.h"
#include "intake/handlers/intake_handlers.h"
#include "intake/handlers/main_window_surroundings.h"

namespace tessary::intake {
namespace {

// A change is finished this long after the last step that came without the mouse (keys, the wheel).
constexpr std::chrono::milliseconds kQuietAfterKeys{500};

// A slider of the window, the option it sets, where its thumb stands for a value and how its label
// shows the value.
struct SliderOption {
    std::string_view slider;
    std::string_view label;
    int image::ConversionOptions::*field;
    int (*position)(int value);
    int (*value)(int position);
    std::string (*caption)(int value);
};

std::string format(const char* format, int value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

int same(int v) { return v; }
// A slider's range cannot go below 0: brightness and contrast stand at value + 100.
int plus100(int v) { return v + 100; }
int minus100(int p) { return p - 100; }

constexpr std::array<SliderOption, 8> kSliders = {{
    {picture_options_window::kThreshold, picture_options_window::kThresholdLabel,
     &image::ConversionOptions::threshold, image::thresholdGrey, image::thresholdLevel,
     [](int v) { return format("Threshold level: %d of 255", image::thresholdGrey(v)); }},
    {picture_options_window::kHalftoneCell, picture_options_window::kHalftoneCellLabel,
     &image::ConversionOptions::cell, same, same, [](int v) { return format("Halftone cell: %d px", v); }},
    {picture_options_window::kHalftoneAngle, picture_options_window::kHalftoneAngleLabel,
     &image::ConversionOptions::angle, same, same, [](int v) { return format("Halftone angle: %d°", v); }},
    {picture_options_window::kBrightness, picture_options_window::kBrightnessLabel,
     &image::ConversionOptions::brightness, plus100, minus100,
     [](int v) { return format("Brightness: %d", v); }},
    {picture_options_window::kContrast, picture_options_window::kContrastLabel,
     &image::ConversionOptions::contrast, plus100, minus100, [](int v) { return format("Contrast: %d", v); }},
    {picture_options_window::kGamma, picture_options_window::kGammaLabel, &image::ConversionOptions::gamma,
     same, same, [](int v) { return format("Gamma: %d.", v / 100) + format("%02d", v % 100); }},
    {picture_options_window::kSharpen, picture_options_window::kSharpenLabel,
     &image::ConversionOptions::sharpen, same, same, [](int v) { return format("Sharpen: %d", v); }},
    {picture_options_window::kSize, picture_options_window::kSizeLabel, &image::ConversionOptions::size, same,
     same,
     [](int v) {
         return v ? format("Size: %d dots across the longer side", v) : "Size: its own, at most the field";
     }},
}};

// Settings keys, beside the mode's.
constexpr std::string_view kModeKey = "picture/conversion";
constexpr std::array<std::pair<std::string_view, int image::ConversionOptions::*>, 8> kNumberKeys = {{
    {"picture/threshold", &image::ConversionOptions::threshold},
    {"picture/cell", &image::ConversionOptions::cell},
    {"picture/angle", &image::ConversionOptions::angle},
    {"picture/brightness", &image::ConversionOptions::brightness},
    {"picture/contrast", &image::ConversionOptions::contrast},
    {"picture/gamma", &image::ConversionOptions::gamma},
    {"picture/sharpen", &image::ConversionOptions::sharpen},
    {"picture/size", &image::ConversionOptions::size},
}};
constexpr std::array<std::pair<std::string_view, bool image::ConversionOptions::*>, 4> kSwitchKeys = {{
    {"picture/invert", &image::ConversionOptions::invert},
    {"picture/autoLevel", &image::ConversionOptions::autoLevel},
    {"picture/fill", &image::ConversionOptions::fill},
    {"picture/mirror", &image::ConversionOptions::mirror},
}};

struct OptionsWindowState {
    bool applying = false;  // the handler itself is setting the controls
    bool pressed = false;   // a slider is held with the mouse
    bool pending = false;   // the picture changed since the last "Conversion:" line
    std::unique_ptr<Ticker> quiet;
};

void saveOptions(Console& console, const image::ConversionOptions& o) {
    Settings& settings = console.settings();
    bool saved = settings.setValue(kModeKey, image::conversionKey(o.mode));
    for (const auto& [key, field] : kNumberKeys)
        saved = settings.setValue(key, std::to_string(o.*field)) && saved;
    for (const auto& [key, field] : kSwitchKeys)
        saved = settings.setValue(key, o.*field ? "true" : "false") && saved;
    rememberOrSay(console, saved);
}

// The labels, and which controls the chosen options use: the others are disabled (and so skipped by Tab).
void showValues(Window& window, const image::ConversionOptions& o) {
    for (const SliderOption& s : kSliders)
        window.set(s.label, prop::label::kCaption, s.caption(o.*(s.field)));
    if (o.fill)
        window.set(picture_options_window::kSizeLabel, prop::label::kCaption,
                   std::string("Size: the whole field, 490 dots"));
    const bool threshold = o.mode == image::Conversion::Threshold && !o.autoLevel;
    const bool halftone = o.mode == image::Conversion::Halftone;
    const std::pair<std::string_view, bool> used[] = {
        {picture_options_window::kThreshold, threshold},
        {picture_options_window::kThresholdLabel, threshold},
        {picture_options_window::kHalftoneCell, halftone},
        {picture_options_window::kHalftoneCellLabel, halftone},
        {picture_options_window::kHalftoneAngle, halftone},
        {picture_options_window::kHalftoneAngleLabel, halftone},
        {picture_options_window::kSize, !o.fill},
        {picture_options_window::kSizeLabel, !o.fill},
    };
    for (const auto& [unit, on] : used) window.set(unit, prop::kDisabled, std::int32_t{on ? 0 : 1});
}

void setControls(Console& console, Window& window, const image::ConversionOptions& o) {
    auto& ui = console.state<OptionsWindowState>();
    ui.applying = true;
    window.set(picture_options_window::kConversion, prop::combobox::kSelection,
               static_cast<std::int32_t>(o.mode));
    for (const SliderOption& s : kSliders)
        window.set(s.slider, prop::slider::kPosition, std::int32_t{s.position(o.*(s.field))});
    window.set(picture_options_window::kInvert, prop::button::kChecked, std::int32_t{o.invert ? 1 : 0});
    window.set(picture_options_window::kAutoLevel, prop::button::kChecked, std::int32_t{o.autoLevel ? 1 : 0});
    window.set(picture_options_window::kFill, prop::button::kChecked, std::int32_t{o.fill ? 1 : 0});
    window.set(picture_options_window::kMirror, prop::button::kChecked, std::int32_t{o.mirror ? 1 : 0});
    ui.applying = false;
    showValues(window, o);
}

// The controls as options; a slider that has not moved keeps its value (a stored level that the grey
// scale shows rounded stays as it was).
image::ConversionOptions readControls(Window& window, const image::ConversionOptions& current) {
    image::ConversionOptions o;
    const int mode = window.getInt(picture_options_window::kConversion, prop::combobox::kSelection);
    o.mode = mode >= 0 && mode < image::kConversionCount ? static_cast<image::Conversion>(mode)
                                                         : image::Conversion{};
    for (const SliderOption& s : kSliders) {
        const int position = window.getInt(s.slider, prop::slider::kPosition);
        o.*(s.field) = position == s.position(current.*(s.field)) ? current.*(s.field) : s.value(position);
    }
    o.invert = window.getInt(picture_options_window::kInvert, prop::button::kChecked) != 0;
    o.autoLevel = window.getInt(picture_options_window::kAutoLevel, prop::button::kChecked) != 0;
    o.fill = window.getInt(picture_options_window::kFill, prop::button::kChecked) != 0;
    o.mirror = window.getInt(picture_options_window::kMirror, prop::button::kChecked) != 0;
    return o;
}

// New options: remembered, and the picture converted with them at once; the log hears of them when the
// change is finished.
void apply(Console& console, const image::ConversionOptions& options) {
    ImageState& state = console.state<ImageState>();
    state.options = options;
    saveOptions(console, options);
    if (console.hasMainWindow() && state.pictureWidth > 0) {
        MainWindowSurroundings around(console);
        reconvert(state, around);
        console.state<OptionsWindowState>().pending = true;
    }
}

// One "Conversion:" line for the change just finished (none for the defaults).
void finishChange(Console& console) {
    auto& ui = console.state<OptionsWindowState>();
    ui.quiet.reset();
    if (!ui.pending || !console.hasMainWindow()) return;
    ui.pending = false;
    if (const std::string line = conversionLine(console.state<ImageState>()); !line.empty())
        console.appendLog(line);
}

Window* optionsWindow(Console& console) { return console.window(pictureOptionsWindowDefinition().name); }

// The options as the window's controls now stand, taken if they differ.
void takeControls(Console& console) {
    Window* window = optionsWindow(console);
    if (!window) return;
    const image::ConversionOptions& current = console.state<ImageState>().options;
    const image::ConversionOptions options = readControls(*window, current);
    showValues(*window, options);
    if (options != current) apply(console, options);
}

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
    for (const auto& [key, field] : kSwitchKeys) o.*field = settings.value(key).value_or("false") == "true";
    // A value out of its range (an edited file) falls back to its default, the others stay.
    for (const auto& [key, field] : kNumberKeys) {
        image::ConversionOptions one = defaults;
        one.*field = o.*field;
        if (!one.valid()) o.*field = defaults.*field;
    }
    console.state<ImageState>().options = o;
}

void chooseConversion(Console& console, image::Conversion mode) {
    loadPictureOptions(console);
    image::ConversionOptions options = console.state<ImageState>().options;
    if (options.mode == mode) return;
    options.mode = mode;
    if (Window* window = optionsWindow(console)) setControls(console, *window, options);
    apply(console, options);
    finishChange(console);
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
    if (console.state<OptionsWindowState>().applying) return;
    takeControls(console);
    finishChange(console);
}

void onPictureOptionSliding(Console& console, const EventArgs&) {
    auto& ui = console.state<OptionsWindowState>();
    if (ui.applying) return;
    takeControls(console);
    if (ui.pressed || !ui.pending) return;
    ui.quiet = console.clock().every(kQuietAfterKeys, [&console] { finishChange(console); });
    if (!ui.quiet) finishChange(console);
}

void onPictureOptionPressed(Console& console, const EventArgs&) {
    auto& ui = console.state<OptionsWindowState>();
    ui.pressed = true;
    ui.quiet.reset();
}

void onPictureOptionReleased(Console& console, const EventArgs&) {
    console.state<OptionsWindowState>().pressed = false;
    finishChange(console);
}

void onPictureOptionsDefaults(Console& console, const EventArgs&) {
    if (Window* window = optionsWindow(console)) setControls(console, *window, {});
    apply(console, {});
    finishChange(console);
}

void onPictureOptionsClosing(Console& console, const EventArgs&) {
    auto& ui = console.state<OptionsWindowState>();
    ui.pressed = false;
    finishChange(console);
}

void onClosePictureOptions(Console& console, const EventArgs&) {
    if (Window* window = optionsWindow(console)) console.closeWindow(*window);
}

}  // namespace tessary::intake
