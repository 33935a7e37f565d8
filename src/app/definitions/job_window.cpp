// SPDX-License-Identifier: GPL-3.0-or-later
// The Job window: how many passes burn each piece, how many pieces, and whether the console calls when done.
#include "app/definitions/definitions.h"
#include "app/definitions/unit_records.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"

namespace tessary {

namespace {

using namespace records;

UnitDef countBox(std::string name, int top, int maxLength, std::string onKey) {
    namespace e = prop::editbox;
    UnitDef u = plain(std::move(name), Kind::EditBox, "", {96, top, 56, 22});
    u.properties = {{e::kContent, std::string("1")},
                    {e::kBorder, kBorderSunken},
                    {e::kTextColour, kBlack},
                    {e::kBackColour, kWhite},
                    {e::kMultiLine, 0},
                    {e::kScrollBars, 0},
                    {e::kAlignment, 1},
                    {e::kMaxLength, maxLength},
                    {e::kInputMode, 3}};
    // Up and Down raise and lower the count, Return keeps what the window shows.
    u.events = {{event::kKeyDown, std::move(onKey)}};
    return u;
}

WindowDef build() {
    WindowDef w;
    w.name = "Job";
    w.width = 306;
    w.height = 183;
    w.clientWidth = 300;
    w.clientHeight = 154;
    w.minimizeBox = false;
    w.properties = {{prop::window::kCaption, std::string("Job")},
                    {prop::window::kBorderStyle, 2},
                    {prop::window::kBackColour, kDefault}};
    w.events = {{event::kCreated, "fillJobWindow"}};
    w.shortcuts = {{"Return", "keepJobCounts"}, {"Enter", "keepJobCounts"}, {"Escape", "closeJobWindow"}};
    UnitDef notify = toggle(std::string(job_window::kNotify), {12, 76, 276, 28}, "Notify when done", "");
    notify.events.clear();
    // Checked or not as the console's counts say, when the window is filled.
    w.units = {
        countBox(std::string(job_window::kPasses), 12, 2, "jobPassesKey"),
        countBox(std::string(job_window::kCopies), 44, 3, "jobCopiesKey"),
        label("passesLabel", {12, 15, 80, 20}, "Passes:"),
        label("passesRange", {160, 15, 128, 20}, "1 to 10, over the same piece"),
        label("copiesLabel", {12, 47, 80, 20}, "Copies:"),
        label("copiesRange", {160, 47, 128, 20}, "1 to 999 pieces"),
        notify,
        button(std::string(job_window::kOk), "", {208, 116, 80, 30}, "OK", "keepJobCounts"),
    };
    return w;
}

}  // namespace

const WindowDef& jobWindowDefinition() {
    static const WindowDef def = build();
    return def;
}

}  // namespace tessary
