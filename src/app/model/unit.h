// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A unit is a control of a window, addressed by name; handlers reach it only through numbered properties.
#include <string>
#include <string_view>

#include "app/model/value.h"

namespace tessary {

enum class Kind {
    Window,
    Button,
    GroupBox,
    Label,
    EditBox,
    ComboBox,
    SliderBar,
    PicBox,
    DrawPanel,
    SerialPort,
    DropTarget
};

// Event numbers.
namespace event {
inline constexpr int kLeftDown = -1, kLeftUp = -2, kDoubleClick = -3, kRightDown = -4, kRightUp = -5,
                     kMouseMove = -6, kKeyDown = -9, kKeyUp = -10, kChar = -11;
inline constexpr int kClick = 0;                                    // Button
inline constexpr int kCreated = 0, kMayClose = 1, kDestroying = 2;  // window
inline constexpr int kFilesDropped = 3;                             // DropTarget
inline constexpr int kChanged = 0;  // ComboBox selection, SliderBar position, EditBox content
// Item i of a unit's context menu raises kMenuItem + i on the unit; shortcut i of a window raises
// kShortcut + i on the window.
inline constexpr int kMenuItem = 100, kShortcut = 200;
// SerialPort; DeviceGone: the open port's device vanished (unplugged, switched off, line hung up).
inline constexpr int kLineStatus = 0, kDataArrived = 1, kDeviceGone = 2;
}  // namespace event

// Modifier keys of mouse and key events, as a bit set.
namespace modifier {
inline constexpr int kShift = 1, kControl = 2, kAlt = 4;
}

// Arguments of an event: mouse events carry x, y, modifiers in a, b, c; key events key code (Windows
// virtual-key numbering) and modifiers in a, b; DataArrived and LineStatus one integer in a; files dropped a
// text.
struct EventArgs {
    int a = 0;
    int b = 0;
    int c = 0;
    std::string text;
};

class Unit {
  public:
    virtual ~Unit() = default;
    virtual Kind kind() const = 0;
    virtual const std::string& name() const = 0;
    // Writes convert and clamp the value to the property's type; reads of 0-3, 5, 6 and the
    // "current" kind properties give what the unit shows now.
    virtual void write(int property, const Value& value) = 0;
    virtual Value read(int property) const = 0;
};

// Where units raise their events (the window that holds them, which dispatches to the bound handler).
class EventSink {
  public:
    virtual ~EventSink() = default;
    virtual void raise(const std::string& unit, int event, const EventArgs& args) = 0;
    // False once the window is being destroyed; delivery of queued events stops then.
    virtual bool alive() const = 0;
};

}  // namespace tessary
