// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows without a screen: units that only keep their properties by the kinds' rules, for tests and
// tools that run handlers without a display. Visibility through containers, combo box and slider
// clamping, log appends and draw panel surfaces behave as in the real windows.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/model/stored_unit.h"
#include "app/model/window.h"
#include "app/model/window_def.h"

namespace tessary::headless {

class MemoryWindow;

class MemoryUnit : public StoredUnit {
  public:
    MemoryUnit(const MemoryWindow& window, std::string name, Kind kind, const MemoryUnit* container)
        : StoredUnit(std::move(name), kind), window_(window), container_(container) {}
    void write(int property, const Value& value) override;
    Value read(int property) const override;

  private:
    const MemoryWindow& window_;
    const MemoryUnit* container_;
};

class MemorySurface : public DrawSurface {
  public:
    MemorySurface(int width, int height, std::uint32_t background);
    image::Raster& pixels() override { return pixels_; }
    std::uint32_t background() const override { return background_; }
    void changed() override { ++changes_; }
    int displayDepth() const override { return 32; }
    int changes() const { return changes_; }

  private:
    image::Raster pixels_;
    std::uint32_t background_;
    int changes_ = 0;
};

class MemoryWindow : public Window, public EventSink {
  public:
    // The button face that stands for the default colour here.
    static constexpr std::uint32_t kButtonFace = 0x00F0F0F0;

    MemoryWindow(const WindowDef& def, Console& console, const UnitFactory& serialPortFactory);
    ~MemoryWindow() override;

    // False when a unit could not be created (a serial port whose settings do not load).
    bool complete() const { return complete_; }
    const WindowDef& definition() const { return def_; }
    void destroy() { exists_ = false; }

    const std::string& name() const override { return def_.name; }
    bool exists() const override { return exists_; }
    Unit* find(std::string_view unit) override;
    Unit& self() override { return *self_; }
    void appendText(std::string_view unit, std::string_view text) override;
    DrawSurface& drawPanel(std::string_view unit) override;
    bool attachDropTarget(std::string_view unit) override;
    bool dropTargetAttached() const { return dropTargetAttached_; }

    void raise(const std::string& unit, int event, const EventArgs& args) override;
    bool alive() const override { return exists_; }

  private:
    const WindowDef& def_;
    Console& console_;
    bool exists_ = true;
    bool complete_ = true;
    bool dropTargetAttached_ = false;
    std::unique_ptr<MemoryUnit> self_;
    std::map<std::string, std::unique_ptr<Unit>, std::less<>> units_;
    std::map<std::string, std::unique_ptr<MemorySurface>, std::less<>> surfaces_;
};

// Creates MemoryWindows. runModal calls onModal (if set) with the window, standing in for the operator.
class MemoryWindowHost : public WindowHost {
  public:
    std::unique_ptr<Window> create(const WindowDef& def, Console& console) override;
    void runModal(Window& window) override;
    void show(Window& window) override;
    void applyVisualStyle(int style) override { visualStyle = style; }

    UnitFactory serialPortFactory;
    std::function<void(Window&)> onModal;
    bool failCreation = false;
    int visualStyle = 0;
    int modalRuns = 0;
    std::vector<std::string> shown;
};

}  // namespace tessary::headless
