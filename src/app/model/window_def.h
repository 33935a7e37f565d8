// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Window definitions as data: one record per window and one per unit, in definition order.
// The window layer realises them; handlers never see them.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/model/unit.h"
#include "app/model/value.h"

namespace tessary {

// One event of a unit bound to a handler id of the HandlerRegistry.
struct Binding {
    int event = 0;
    std::string handler;
};

using PropertyList = std::vector<std::pair<int, Value>>;

// An item of a unit's context menu (opened by a right-click anywhere on the unit), in menu order.
struct MenuItem {
    std::string caption;
    std::string handler;
};

// A key combination of a window ("Ctrl+Shift+P"), taken wherever the focus is in the window.
struct Shortcut {
    std::string keys;
    std::string handler;
};

struct UnitDef {
    std::string name;
    Kind kind = Kind::Button;
    std::string
        container;  // empty: the window's client area; else a GroupBox or DrawPanel of the same window
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool visible = true;
    bool disabled = false;
    PropertyList properties;  // kind properties (number 8 and up), applied in this order
    std::vector<Binding> events;
    Bytes serialSettings;  // SerialPort only: the stored settings block; empty means the kind's defaults
    std::vector<MenuItem> contextMenu;  // empty: no context menu
    std::string toolTip;                // shown while the mouse rests on the unit; empty: none

    const Value* property(int number) const;
    const std::string* handlerFor(int event) const;
};

struct WindowDef {
    std::string name;
    int width = 0;  // outer size, frame and title bar included
    int height = 0;
    int clientWidth = 0;  // the client area that holds every unit
    int clientHeight = 0;
    bool centred = true;
    // Not empty: the window opens beside the main window, clear of this unit of it (centred is ignored).
    std::string besideMainClearOf;
    bool minimizeBox = true;
    bool maximizeBox = false;
    PropertyList properties;      // the window kind's properties (caption, border style, ...)
    std::vector<Binding> events;  // the window's own events
    std::vector<Shortcut> shortcuts;
    std::vector<UnitDef> units;

    const UnitDef* find(std::string_view unit) const;
    const Value* property(int number) const;
    // The handler bound to an event of a unit; an empty unit name stands for the window itself.
    const std::string* handlerFor(std::string_view unit, int event) const;
};

// Every (unit, event, handler) of a definition, the window's own events and shortcuts first with an empty
// unit name; menu items as their events.
struct BoundEvent {
    std::string unit;
    int event = 0;
    std::string handler;
};
std::vector<BoundEvent> bindingsOf(const WindowDef& def);

}  // namespace tessary
