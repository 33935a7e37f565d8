// SPDX-License-Identifier: GPL-3.0-or-later
// The Text window: text typed to be engraved, with its font, size, style and alignment, and a preview of it
// on the engraving field.
#include "app/definitions/definitions.h"
#include "app/definitions/unit_records.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"

namespace tessary {

namespace {

using namespace records;

constexpr const char* kChanged = "textWindowChanged";

UnitDef textBox() {
    namespace e = prop::editbox;
    UnitDef u = plain(std::string(text_window::kText), Kind::EditBox, "", {12, 12, 408, 150});
    u.properties = {{e::kContent, std::string()}, {e::kBorder, kBorderSunken}, {e::kTextColour, kBlack},
                    {e::kBackColour, kWhite},     {e::kMultiLine, 1},          {e::kScrollBars, 1},
                    {e::kAlignment, 0},           {e::kInputMode, 0}};
    u.events = {{event::kChanged, kChanged}};
    return u;
}

UnitDef sizeBox() {
    namespace e = prop::editbox;
    UnitDef u = plain(std::string(text_window::kSize), Kind::EditBox, "", {300, 172, 48, 22});
    u.properties = {{e::kContent, std::to_string(36)},
                    {e::kBorder, kBorderSunken},
                    {e::kTextColour, kBlack},
                    {e::kBackColour, kWhite},
                    {e::kMultiLine, 0},
                    {e::kScrollBars, 0},
                    {e::kAlignment, 1},
                    {e::kMaxLength, 4},
                    {e::kInputMode, 3}};
    u.events = {{event::kChanged, kChanged}};
    return u;
}

UnitDef preview() {
    namespace pb = prop::picbox;
    UnitDef u = plain(std::string(text_window::kPreview), Kind::PicBox, "", {432, 12, 240, 240});
    u.properties = {{pb::kBorder, kBorderSunken}, {pb::kBackColour, kWhite}, {pb::kDisplayMode, 1}};
    return u;
}

WindowDef build() {
    WindowDef w;
    w.name = "Text";
    w.width = 690;
    w.height = 333;
    w.clientWidth = 684;
    w.clientHeight = 304;
    w.minimizeBox = false;
    w.properties = {{prop::window::kCaption, std::string("Text")},
                    {prop::window::kBorderStyle, 2},
                    {prop::window::kBackColour, kDefault}};
    w.events = {{event::kCreated, "fillTextWindow"}, {event::kDestroying, "keepTypedText"}};
    w.shortcuts = {{"Escape", "closeTextWindow"}};
    w.units = {
        textBox(),
        label("fontLabel", {12, 175, 40, 20}, "Font:"),
        dropDownList(std::string(text_window::kFont), {56, 172, 196, 22}, {}, 0, kChanged),
        label("sizeLabel", {264, 175, 34, 20}, "Size:"),
        sizeBox(),
        label("dotsLabel", {354, 175, 66, 20}, "dots high"),
        dropDownList(std::string(text_window::kStyle), {12, 206, 120, 22},
                     {"Regular", "Bold", "Italic", "Bold italic"}, 0, kChanged),
        dropDownList(std::string(text_window::kAlignment), {144, 206, 100, 22}, {"Left", "Centre", "Right"},
                     1, kChanged),
        toggle(std::string(text_window::kFillWidth), {256, 203, 164, 28}, "Fill the width", kChanged),
        label("sizeNote", {12, 238, 408, 20},
              "Size is the height of a capital letter, in dots of the engraving."),
        label(std::string(text_window::kStatus), {12, 262, 408, 20}, ""),
        preview(),
        button(std::string(text_window::kOk), "", {496, 266, 80, 30}, "OK", "takeInTypedText"),
        button(std::string(text_window::kCancel), "", {592, 266, 80, 30}, "Cancel", "closeTextWindow"),
    };
    return w;
}

}  // namespace

const WindowDef& textWindowDefinition() {
    static const WindowDef def = build();
    return def;
}

}  // namespace tessary
