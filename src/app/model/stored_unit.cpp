// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/model/stored_unit.h"

#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "app/model/serial_settings.h"

namespace tessary {

Value emptyValue(Kind kind, int property) {
    const auto rule = propertyRule(kind, property);
    if (!rule) return std::int32_t{0};
    switch (rule->type) {
        case PropertyType::Text:
            return std::string{};
        case PropertyType::Bytes:
        case PropertyType::Font:
            return Bytes{};
        case PropertyType::Colour:
            return static_cast<std::int32_t>(kDefaultColour);
        default:
            return normaliseProperty(kind, property, std::int32_t{0});
    }
}

void StoredUnit::write(int property, const Value& value) {
    values_[property] = normaliseProperty(kind_, property, value);
}

Value StoredUnit::read(int property) const {
    const auto it = values_.find(property);
    return it != values_.end() ? it->second : emptyValue(kind_, property);
}

void applyDefinition(Unit& unit, const UnitDef& def) {
    unit.write(prop::kLeft, def.left);
    unit.write(prop::kTop, def.top);
    unit.write(prop::kWidth, def.width);
    unit.write(prop::kHeight, def.height);
    unit.write(prop::kVisible, std::int32_t{def.visible ? 1 : 0});
    unit.write(prop::kDisabled, std::int32_t{def.disabled ? 1 : 0});
    for (const auto& [number, value] : def.properties) unit.write(number, value);
}

std::unique_ptr<Unit> makeStoredUnit(const UnitDef& def) {
    auto unit = std::make_unique<StoredUnit>(def.name, def.kind);
    if (def.kind == Kind::SerialPort) {
        const auto settings = decodeSerialSettings(def.serialSettings);
        if (!settings) return nullptr;
        for (const auto& [number, value] : serialProperties(*settings)) unit->write(number, value);
    }
    applyDefinition(*unit, def);
    return unit;
}

}  // namespace tessary
