// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/model/window_def.h"

namespace tessary {

namespace {
const Value* findProperty(const PropertyList& list, int number) {
    for (const auto& [n, v] : list) {
        if (n == number) return &v;
    }
    return nullptr;
}
const std::string* findHandler(const std::vector<Binding>& events, int event) {
    for (const auto& b : events) {
        if (b.event == event) return &b.handler;
    }
    return nullptr;
}
}  // namespace

const Value* UnitDef::property(int number) const { return findProperty(properties, number); }
const std::string* UnitDef::handlerFor(int event) const {
    const int item = event - event::kMenuItem;
    if (item >= 0 && static_cast<std::size_t>(item) < contextMenu.size()) return &contextMenu[item].handler;
    return findHandler(events, event);
}

const UnitDef* WindowDef::find(std::string_view unit) const {
    for (const auto& u : units) {
        if (u.name == unit) return &u;
    }
    return nullptr;
}

const Value* WindowDef::property(int number) const { return findProperty(properties, number); }

const std::string* WindowDef::handlerFor(std::string_view unit, int event) const {
    if (unit.empty()) {
        const int shortcut = event - event::kShortcut;
        if (shortcut >= 0 && static_cast<std::size_t>(shortcut) < shortcuts.size())
            return &shortcuts[shortcut].handler;
        return findHandler(events, event);
    }
    const UnitDef* u = find(unit);
    return u ? u->handlerFor(event) : nullptr;
}

std::vector<BoundEvent> bindingsOf(const WindowDef& def) {
    std::vector<BoundEvent> out;
    for (const auto& b : def.events) out.push_back({"", b.event, b.handler});
    for (std::size_t i = 0; i < def.shortcuts.size(); ++i)
        out.push_back({"", event::kShortcut + static_cast<int>(i), def.shortcuts[i].handler});
    for (const auto& u : def.units) {
        for (const auto& b : u.events) out.push_back({u.name, b.event, b.handler});
        for (std::size_t i = 0; i < u.contextMenu.size(); ++i)
            out.push_back({u.name, event::kMenuItem + static_cast<int>(i), u.contextMenu[i].handler});
    }
    return out;
}

}  // namespace tessary
