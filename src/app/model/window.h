// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A window realised from its definition, as handlers see it: units by name, numbered properties,
// and the few operations that are not properties (log append, drawing panels).
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "app/model/unit.h"
#include "app/model/value.h"
#include "raster/raster.h"

namespace tessary {

// Ends the program with an error message and exit code -1 (unknown unit, kind property of a unit
// whose window is gone). The window layer installs a handler that shows the message first.
[[noreturn]] void programError(std::string_view message);
using ProgramErrorHandler = void (*)(std::string_view message);
void setProgramErrorHandler(ProgramErrorHandler handler);

// The off-screen image of a DrawPanel. Drawing goes to pixels(); changed() shows it on the screen.
class DrawSurface {
  public:
    virtual ~DrawSurface() = default;
    virtual Raster& pixels() = 0;                  // the client area (inside the border)
    virtual std::uint32_t background() const = 0;  // 0x00BBGGRR, the panel's background colour
    virtual void changed() = 0;
    virtual int displayDepth() const = 0;  // bits per pixel of the display
    // Sets one pixel of pixels() (nothing outside it) and shows it at once, also over the units that lie
    // on the panel: the machine's reported position must stay visible over the preview. The marks shown
    // over those units go with the next changed().
    virtual void plotMark(int x, int y, std::uint32_t colour);
};

// A bar laid over the bottom of a unit while a long operation keeps the window thread busy.
struct Progress {
    std::string text;  // shown on the bar
    std::int64_t done = 0;
    std::int64_t total = 0;  // 0 (and no countdown): the bar is hidden
    std::chrono::milliseconds countdown{
        0};  // > 0: the bar runs down by itself, the seconds left after the text
};

// A line of advice laid over the bottom of a unit, which does not stop the operator: a text and one button.
struct Notice {
    std::string text;     // empty: the notice goes
    std::string action;   // the button's caption
    std::string handler;  // the registered handler its click runs, once the notice has gone
};

class Window {
  public:
    virtual ~Window() = default;
    virtual const std::string& name() const = 0;
    virtual bool exists() const = 0;
    virtual Unit* find(std::string_view unit) = 0;  // nullptr when the window has no such unit
    virtual Unit& self() = 0;                       // the window's own properties
    // Appends at the very end of an EditBox, scrolls to it; cannot be undone.
    virtual void appendText(std::string_view unit, std::string_view text) = 0;
    virtual DrawSurface& drawPanel(std::string_view unit) = 0;
    // Makes files dropped anywhere on the window raise the DropTarget unit's files-dropped event.
    // False when it cannot be attached, or is attached already.
    virtual bool attachDropTarget(std::string_view unit) {
        (void)unit;
        return false;
    }
    // Closes the window as its close button would (a modal window's loop ends).
    virtual void close() {}
    // Shows, updates or hides the progress bar of a unit (a group box); windows without a screen show
    // nothing.
    virtual void showProgress(std::string_view unit, const Progress& progress) {
        (void)unit;
        (void)progress;
    }

    // Shows or hides the notice of a unit (a group box); a progress bar shown over the unit hides it.
    virtual void showNotice(std::string_view unit, const Notice& notice) {
        (void)unit;
        (void)notice;
    }

    // Property access by unit name; an unknown unit is a program error.
    Unit& unit(std::string_view name);
    void set(std::string_view unit, int property, const Value& value);
    Value get(std::string_view unit, int property);
    std::int32_t getInt(std::string_view unit, int property);
    std::string getText(std::string_view unit, int property);
};

}  // namespace tessary
