// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/definitions/definitions.h"
#include "app/definitions/unit_names.h"
#include "app/definitions/unit_records.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "tessary_resources.h"

namespace tessary {

namespace {

using namespace records;

UnitDef stepPulseBox() {
    namespace e = prop::editbox;
    UnitDef u = plain(setting_window::kStepPulse, Kind::EditBox, "", {224, 264, 48, 24});
    u.properties = {{e::kContent, std::string("35")},
                    {e::kBorder, kBorderSunken},
                    {e::kTextColour, kBlack},
                    {e::kBackColour, kWhite},
                    {e::kMultiLine, 0},
                    {e::kScrollBars, 0},
                    {e::kAlignment, 1},
                    {e::kInputMode, 3}};
    return u;
}

WindowDef build() {
    const auto jpeg = resources::settingPicture();
    WindowDef w;
    w.name = "Setting";
    w.width = 537;
    w.height = 334;
    w.clientWidth = 531;
    w.clientHeight = 305;
    w.properties = {{prop::window::kCaption, std::string()},
                    {prop::window::kBorderStyle, 2},
                    {prop::window::kBackColour, kDefault}};
    w.units = {
        button(setting_window::kVersion, "", {432, 256, 88, 32}, "Version", "showVersion"),
        picBox(setting_window::kPicture, "", {24, 16, 488, 224}, Bytes(jpeg.begin(), jpeg.end()), 1),
        label(setting_window::kStepPulseLabel, {104, 259, 112, 32}, "Motor Step Pluse :"),
        stepPulseBox(),
        button(setting_window::kSave, "", {296, 264, 48, 24}, "Save", "saveStepPulse"),
    };
    return w;
}

}  // namespace

const WindowDef& settingWindowDefinition() {
    static const WindowDef def = build();
    return def;
}

}  // namespace tessary
