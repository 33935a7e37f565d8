// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pure conversion and clamping rules of the unit kinds' numbered properties. Every realisation of a
// unit (the Qt widgets, the headless units, the serial port) stores what these functions return.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/model/unit.h"
#include "app/model/value.h"

namespace tessary {

enum class PropertyType { Integer, Boolean, Text, Bytes, Colour, Font };

struct PropertyRule {
    PropertyType type = PropertyType::Integer;
    std::int32_t min = INT32_MIN;  // integers are clamped into min ... max
    std::int32_t max = INT32_MAX;
};

// The rule of a property; nullopt for a number the kind does not know (such a value is stored as given).
std::optional<PropertyRule> propertyRule(Kind kind, int number);

// Converts a written value to the property's type and clamps it.
Value normaliseProperty(Kind kind, int number, const Value& value);

// A choice: values outside lo ... hi go to the nearer end.
std::int32_t clampChoice(std::int32_t value, std::int32_t lo, std::int32_t hi);

// Combo box selection: below 0 selects nothing (-1); beyond the last item selects the last; no items: -1.
std::int32_t comboSelection(std::int32_t requested, int itemCount);

// Slider position clamped into minimum ... maximum (a maximum below the minimum counts as the minimum).
std::int32_t sliderPosition(std::int32_t requested, std::int32_t minimum, std::int32_t maximum);

// Combo box items travel as one text, the items separated by "\r\n" (a lone "\n" separates too).
std::vector<std::string> splitItems(std::string_view text);
std::string joinItems(const std::vector<std::string>& items);

// Width in pixels of the frame of a border code, on each side.
int borderThickness(std::int32_t code);

inline constexpr std::int32_t kBorderNone = 0, kBorderSunken = 1, kBorderRaised = 2, kBorderShallow = 3,
                              kBorderSunkenRaised = 4, kBorderLine = 5;

// Colours: 0x00BBGGRR, or kDefaultColour for the platform's button face.
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};
bool isDefaultColour(std::int32_t colour);
Rgb colourRgb(std::int32_t colour);

}  // namespace tessary
