// SPDX-License-Identifier: GPL-3.0-or-later
// The Layout window: the pieces of one engraving (pictures, text blocks, QR codes), each placed and sized by
// its numbers in dots, and the engraving they make with every piece's outline.
#include "app/definitions/definitions.h"
#include "app/definitions/unit_records.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"

namespace tessary {

namespace {

using namespace records;

constexpr const char* kNumbersChanged = "layoutNumbersChanged";

UnitDef editBox(std::string name, Place p, bool digits, const char* onChange) {
    namespace e = prop::editbox;
    UnitDef u = plain(std::move(name), Kind::EditBox, "", p);
    u.properties = {{e::kContent, std::string()},
                    {e::kBorder, kBorderSunken},
                    {e::kTextColour, kBlack},
                    {e::kBackColour, kWhite},
                    {e::kMultiLine, 0},
                    {e::kScrollBars, 0},
                    {e::kAlignment, digits ? 1 : 0},
                    {e::kMaxLength, digits ? 6 : 2000}};
    if (onChange) u.events = {{event::kChanged, onChange}};
    return u;
}

UnitDef preview() {
    namespace pb = prop::picbox;
    UnitDef u = plain(std::string(layout_window::kPreview), Kind::PicBox, "", {332, 12, 256, 256});
    u.properties = {{pb::kBorder, kBorderSunken}, {pb::kBackColour, kWhite}, {pb::kDisplayMode, 1}};
    return u;
}

WindowDef build() {
    WindowDef w;
    w.name = "Layout";
    w.width = 606;
    w.height = 345;
    w.clientWidth = 600;
    w.clientHeight = 316;
    w.besideMainClearOf = main_window::kPreviewGroup;
    w.minimizeBox = false;
    w.maximizeBox = false;
    w.properties = {{prop::window::kCaption, std::string("Layout")},
                    {prop::window::kBorderStyle, 2},
                    {prop::window::kBackColour, kDefault}};
    w.events = {{event::kCreated, "showLayoutWindow"}};
    w.shortcuts = {{"Escape", "closeLayoutWindow"}};
    w.units = {
        label("itemsLabel", {12, 12, 300, 18}, "Pieces, back to front:"),
        dropDownList(layout_window::kItems, {12, 32, 300, 24}, {}, 0, "layoutItemChosen"),
        label("xLabel", {12, 70, 20, 20}, "X:"),
        editBox(layout_window::kX, {34, 67, 56, 22}, true, kNumbersChanged),
        label("yLabel", {100, 70, 20, 20}, "Y:"),
        editBox(layout_window::kY, {122, 67, 56, 22}, true, kNumbersChanged),
        label("turnLabel", {190, 70, 40, 20}, "Turn:"),
        dropDownList(layout_window::kTurn, {232, 67, 80, 24}, {"0°", "90°", "180°", "270°"}, 0,
                     kNumbersChanged),
        label("widthLabel", {12, 102, 46, 20}, "Width:"),
        editBox(layout_window::kWidth, {60, 99, 56, 22}, true, kNumbersChanged),
        label("heightLabel", {126, 102, 50, 20}, "Height:"),
        editBox(layout_window::kHeight, {178, 99, 56, 22}, true, kNumbersChanged),
        label("dotsLabel", {240, 102, 72, 20}, "dots"),
        button(layout_window::kRemove, "", {12, 132, 96, 30}, "Remove", "layoutRemove"),
        label("contentLabel", {12, 176, 300, 18}, "Text or web address to add:"),
        editBox(layout_window::kContent, {12, 196, 300, 22}, false, nullptr),
        button(layout_window::kAddPicture, "", {12, 228, 96, 30}, "Add picture…", "layoutAddPicture"),
        button(layout_window::kAddText, "", {114, 228, 96, 30}, "Add text", "layoutAddText"),
        button(layout_window::kAddCode, "", {216, 228, 96, 30}, "Add QR code", "layoutAddCode"),
        label(layout_window::kStatus, {12, 272, 576, 36}, ""),
        preview(),
    };
    return w;
}

}  // namespace

const WindowDef& layoutWindowDefinition() {
    static const WindowDef def = build();
    return def;
}

}  // namespace tessary
