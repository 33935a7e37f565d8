// SPDX-License-Identifier: GPL-3.0-or-later
// The Text window: text typed to be engraved, with its font, size, style and alignment.
#include "app/definitions/definitions.h"
#include "app/definitions/unit_records.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"

namespace tessary {

namespace {

using namespace records;

UnitDef textBox() {
    namespace e = prop::editbox;
    UnitDef u = plain(std::string(text_window::kText), Kind::EditBox, "", {12, 12, 408, 168});
    u.properties = {{e::kContent, std::string()}, {e::kBorder, kBorderSunken}, {e::kTextColour, kBlack},
                    {e::kBackColour, kWhite},     {e::kMultiLine, 1},          {e::kScrollBars, 1},
                    {e::kAlignment, 0},           {e::kInputMode, 0}};
    return u;
}

UnitDef list(std::string_view name, Place p, std::vector<std::string> items) {
    namespace c = prop::combobox;
    UnitDef u = plain(std::string(name), Kind::ComboBox, "", p);
    u.properties = {{c::kType, 2},
                    {c::kSorted, 0},
                    {c::kTextColour, kBlack},
                    {c::kBackColour, kWhite},
                    {c::kItems, joinItems(items)},
                    {c::kSelection, 0}};
    return u;
}

UnitDef sizeBox() {
    namespace e = prop::editbox;
    UnitDef u = plain(std::string(text_window::kSize), Kind::EditBox, "", {288, 192, 48, 22});
    u.properties = {{e::kContent, std::string("36")},
                    {e::kBorder, kBorderSunken},
                    {e::kTextColour, kBlack},
                    {e::kBackColour, kWhite},
                    {e::kMultiLine, 0},
                    {e::kScrollBars, 0},
                    {e::kAlignment, 1},
                    {e::kMaxLength, 4},
                    {e::kInputMode, 3}};
    return u;
}

WindowDef build() {
    WindowDef w;
    w.name = "Text";
    w.width = 438;
    w.height = 307;
    w.clientWidth = 432;
    w.clientHeight = 278;
    w.minimizeBox = false;
    w.properties = {{prop::window::kCaption, std::string("Text")},
                    {prop::window::kBorderStyle, 2},
                    {prop::window::kBackColour, kDefault}};
    w.events = {{event::kCreated, "fillTextWindow"}};
    w.shortcuts = {{"Escape", "closeTextWindow"}};
    w.units = {
        textBox(),
        label("fontLabel", {12, 195, 36, 20}, "Font:"),
        list(text_window::kFont, {52, 192, 180, 22}, {}),
        label("sizeLabel", {248, 195, 36, 20}, "Size:"),
        sizeBox(),
        list(text_window::kStyle, {12, 232, 120, 22}, {"Regular", "Bold", "Italic", "Bold italic"}),
        list(text_window::kAlignment, {144, 232, 100, 22}, {"Left", "Centre", "Right"}),
        button(std::string(text_window::kOk), "", {340, 228, 80, 30}, "OK", "takeInTypedText"),
    };
    return w;
}

}  // namespace

const WindowDef& textWindowDefinition() {
    static const WindowDef def = build();
    return def;
}

}  // namespace tessary
