// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/memory_window.h"

#include "app/model/properties.h"
#include "app/model/property_rules.h"

namespace tessary::headless {

namespace {
std::int32_t intProperty(const Unit& u, int n) { return asInt(u.read(n)); }
}  // namespace

void MemoryUnit::write(int property, const Value& value) {
    if (kind() == Kind::ComboBox && property == prop::combobox::kSelection) {
        const int items = static_cast<int>(splitItems(asText(read(prop::combobox::kItems))).size());
        StoredUnit::write(property, comboSelection(asInt(value), items));
        return;
    }
    if (kind() == Kind::SliderBar && property == prop::slider::kPosition) {
        StoredUnit::write(property, sliderPosition(asInt(value), intProperty(*this, prop::slider::kMinimum),
                                                   intProperty(*this, prop::slider::kMaximum)));
        return;
    }
    StoredUnit::write(property, value);
    if (kind() == Kind::ComboBox && property == prop::combobox::kItems) {
        write(prop::combobox::kSelection, read(prop::combobox::kSelection));
    }
    if (kind() == Kind::SliderBar &&
        (property == prop::slider::kMinimum || property == prop::slider::kMaximum)) {
        write(prop::slider::kPosition, read(prop::slider::kPosition));
    }
}

Value MemoryUnit::read(int property) const {
    if (property == prop::kVisible) {
        for (const MemoryUnit* u = this; u; u = u->container_) {
            if (!asBool(u->StoredUnit::read(prop::kVisible))) return std::int32_t{0};
        }
        return std::int32_t{1};
    }
    return StoredUnit::read(property);
}

MemorySurface::MemorySurface(int width, int height, std::uint32_t background)
    : pixels_(std::max(0, width), std::max(0, height)), background_(background) {
    const Rgb c = colourRgb(static_cast<std::int32_t>(background));
    pixels_.fill(c.r, c.g, c.b);
}

MemoryWindow::MemoryWindow(const WindowDef& def, Console& console, const UnitFactory& serialPortFactory)
    : def_(def), console_(console) {
    self_ = std::make_unique<MemoryUnit>(*this, def.name, Kind::Window, nullptr);
    self_->write(prop::kWidth, def.width);
    self_->write(prop::kHeight, def.height);
    self_->write(prop::kVisible, 1);
    for (const auto& [n, v] : def.properties) self_->write(n, v);

    // Containers may come after their units in definition order, so every unit exists before any is linked.
    std::map<std::string, const UnitDef*, std::less<>> defs;
    for (const auto& u : def.units) defs[u.name] = &u;
    std::function<MemoryUnit*(const std::string&)> visual = [&](const std::string& name) -> MemoryUnit* {
        if (auto it = units_.find(name); it != units_.end())
            return static_cast<MemoryUnit*>(it->second.get());
        const UnitDef& u = *defs.at(name);
        const MemoryUnit* container = u.container.empty() ? nullptr : visual(u.container);
        auto unit = std::make_unique<MemoryUnit>(*this, u.name, u.kind, container);
        MemoryUnit* raw = unit.get();
        units_[u.name] = std::move(unit);
        applyDefinition(*raw, u);
        return raw;
    };
    for (const auto& u : def.units) {
        if (u.kind == Kind::SerialPort) {
            auto port = serialPortFactory ? serialPortFactory(u, *this) : makeStoredUnit(u);
            if (!port) {
                complete_ = false;
                continue;
            }
            units_[u.name] = std::move(port);
        } else if (u.kind == Kind::DropTarget) {
            units_[u.name] = makeStoredUnit(u);
        } else {
            visual(u.name);
        }
        if (u.kind == Kind::DrawPanel) {
            const Unit& unit = *units_.at(u.name);
            const int inset = 2 * borderThickness(intProperty(unit, prop::drawpanel::kBorder));
            const std::int32_t bg = intProperty(unit, prop::drawpanel::kBackColour);
            surfaces_[u.name] = std::make_unique<MemorySurface>(
                u.width - inset, u.height - inset,
                isDefaultColour(bg) ? kButtonFace : static_cast<std::uint32_t>(bg));
        }
    }
}

MemoryWindow::~MemoryWindow() {
    exists_ = false;
    units_.clear();  // a port unit closes while the window is still whole
}

Unit* MemoryWindow::find(std::string_view unit) {
    const auto it = units_.find(unit);
    return it != units_.end() ? it->second.get() : nullptr;
}

void MemoryWindow::appendText(std::string_view unit, std::string_view text) {
    Unit& u = this->unit(unit);
    u.write(prop::editbox::kContent, asText(u.read(prop::editbox::kContent)) + std::string(text));
}

DrawSurface& MemoryWindow::drawPanel(std::string_view unit) {
    const auto it = surfaces_.find(unit);
    if (it == surfaces_.end())
        programError("\"" + std::string(unit) + "\" is not a draw panel of " + def_.name);
    return *it->second;
}

bool MemoryWindow::attachDropTarget(std::string_view unit) {
    Unit* u = find(unit);
    if (!u || u->kind() != Kind::DropTarget || dropTargetAttached_) return false;
    dropTargetAttached_ = true;
    return true;
}

void MemoryWindow::raise(const std::string& unit, int event, const EventArgs& args) {
    if (exists_) console_.dispatch(def_, unit, event, args);
}

std::unique_ptr<Window> MemoryWindowHost::create(const WindowDef& def, Console& console) {
    if (failCreation) return nullptr;
    auto window = std::make_unique<MemoryWindow>(def, console, serialPortFactory);
    if (!window->complete()) return nullptr;
    return window;
}

void MemoryWindowHost::runModal(Window& window) {
    ++modalRuns;
    if (onModal) onModal(window);
}

void MemoryWindowHost::show(Window& window) { shown.push_back(window.name()); }

}  // namespace tessary::headless
