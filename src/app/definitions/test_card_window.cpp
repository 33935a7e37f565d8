// SPDX-License-Identifier: GPL-3.0-or-later
// The Test card window: burn times from, to and how many cells, the cell's size, and the card's progress.
#include "app/definitions/definitions.h"
#include "app/definitions/unit_records.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"

namespace tessary {

namespace {

using namespace records;

UnitDef numberBox(std::string name, int top, int value) {
    namespace e = prop::editbox;
    UnitDef u = plain(std::move(name), Kind::EditBox, "", {120, top, 56, 22});
    u.properties = {{e::kContent, std::to_string(value)},
                    {e::kBorder, kBorderSunken},
                    {e::kTextColour, kBlack},
                    {e::kBackColour, kWhite},
                    {e::kMultiLine, 0},
                    {e::kScrollBars, 0},
                    {e::kAlignment, 1},
                    {e::kMaxLength, 3},
                    {e::kInputMode, 3}};
    return u;
}

WindowDef build() {
    WindowDef w;
    w.name = "Test card";
    w.width = 406;
    w.height = 243;
    w.clientWidth = 400;
    w.clientHeight = 214;
    w.minimizeBox = false;
    w.properties = {{prop::window::kCaption, std::string("Test card")},
                    {prop::window::kBorderStyle, 2},
                    {prop::window::kBackColour, kDefault}};
    w.events = {{event::kCreated, "fillTestCard"}};
    w.shortcuts = {{"Return", "runTestCard"}, {"Enter", "runTestCard"}, {"Escape", "closeTestCard"}};
    w.units = {
        numberBox(std::string(test_card_window::kFrom), 12, 20),
        numberBox(std::string(test_card_window::kTo), 42, 200),
        numberBox(std::string(test_card_window::kCount), 72, 6),
        numberBox(std::string(test_card_window::kCellSize), 102, 60),
        label("fromLabel", {12, 15, 104, 20}, "Burn time from:"),
        label("toLabel", {12, 45, 104, 20}, "to:"),
        label("countLabel", {12, 75, 104, 20}, "Cells:"),
        label("cellSizeLabel", {12, 105, 104, 20}, "Cell size (dots):"),
        label("rangeNote", {188, 15, 200, 50}, "1 to 240; lowest first"),
        label("countNote", {188, 75, 200, 20}, "1 to 12"),
        label(std::string(test_card_window::kStatus), {12, 136, 376, 34}, ""),
        button(std::string(test_card_window::kRun), "", {212, 176, 80, 30}, "Run", "runTestCard"),
        button(std::string(test_card_window::kStop), "", {308, 176, 80, 30}, "Stop", "stopTestCard"),
    };
    return w;
}

}  // namespace

const WindowDef& testCardWindowDefinition() {
    static const WindowDef def = build();
    return def;
}

}  // namespace tessary
