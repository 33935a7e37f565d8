// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A unit that only stores its properties (after the kind's conversion rules): the non-visual units, and
// the default occupant of the serial port slot until a real port unit is installed.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/model/unit.h"
#include "app/model/value.h"
#include "app/model/window_def.h"

namespace tessary {

class StoredUnit : public Unit {
  public:
    StoredUnit(std::string name, Kind kind) : name_(std::move(name)), kind_(kind) {}
    Kind kind() const override { return kind_; }
    const std::string& name() const override { return name_; }
    void write(int property, const Value& value) override;
    // A property never written reads as the empty value of its type (0, empty text, no bytes).
    Value read(int property) const override;

  private:
    std::string name_;
    Kind kind_;
    std::map<int, Value> values_;
};

// The empty value of a property's type.
Value emptyValue(Kind kind, int property);

// Writes a unit definition's placement, flags and kind properties to a unit, in that order.
void applyDefinition(Unit& unit, const UnitDef& def);

// A StoredUnit initialised from its definition; a SerialPort loads its settings block, and gives
// nullptr when the block does not load (the unit is then not created).
std::unique_ptr<Unit> makeStoredUnit(const UnitDef& def);

// Creates a non-visual unit (the SerialPort slot) from its definition; the unit raises its events on the
// sink, which outlives it. Returns nullptr when the unit cannot be created.
using UnitFactory = std::function<std::unique_ptr<Unit>(const UnitDef&, EventSink&)>;

}  // namespace tessary
