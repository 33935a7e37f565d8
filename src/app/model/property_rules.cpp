#include "app/model/property_rules.h"

#include <algorithm>

#include "app/model/properties.h"

namespace tessary {

namespace {

constexpr PropertyRule integer(std::int32_t lo = INT32_MIN, std::int32_t hi = INT32_MAX) {
    return {PropertyType::Integer, lo, hi};
}
constexpr PropertyRule choice(std::int32_t lo, std::int32_t hi) { return {PropertyType::Integer, lo, hi}; }
constexpr PropertyRule boolean{PropertyType::Boolean};
constexpr PropertyRule text{PropertyType::Text};
constexpr PropertyRule bytes{PropertyType::Bytes};
constexpr PropertyRule colour{PropertyType::Colour};
constexpr PropertyRule font{PropertyType::Font};
constexpr PropertyRule border = choice(kBorderNone, kBorderLine);
constexpr std::int32_t kShortMax = 32767;

std::optional<PropertyRule> commonRule(int number) {
    switch (number) {
        case prop::kLeft:
        case prop::kTop: return integer(-prop::kCoordinateLimit, prop::kCoordinateLimit);
        case prop::kWidth:
        case prop::kHeight: return integer(0, prop::kCoordinateLimit);
        case prop::kTag: return text;
        case prop::kVisible:
        case prop::kDisabled: return boolean;
        case prop::kMousePointer: return bytes;
        default: return std::nullopt;
    }
}

std::optional<PropertyRule> kindRule(Kind kind, int n) {
    switch (kind) {
        case Kind::Window:
            switch (n) {
                case 8: return text;
                case 9: return choice(0, 6);
                case 10: return colour;
                case 11: return bytes;
                case 12: return choice(0, 2);
            }
            break;
        case Kind::Button:
            switch (n) {
                case 8: return bytes;
                case 9: return choice(0, 2);
                case 10: return text;
                case 11:
                case 12: return choice(0, 2);
                case 13: return font;
                case 14: return boolean;
            }
            break;
        case Kind::GroupBox:
            switch (n) {
                case 8: return text;
                case 9: return choice(0, 2);
                case 10:
                case 11: return colour;
                case 12: return font;
            }
            break;
        case Kind::Label:
            switch (n) {
                case 8: return text;
                case 10: return border;
                case 15: return font;
                case 16:
                case 17: return colour;
                case 18: return bytes;
                case 19: return choice(0, 2);
            }
            break;
        case Kind::EditBox:
            switch (n) {
                case 8: return text;
                case 9: return border;
                case 10:
                case 11: return colour;
                case 12: return font;
                case 13: return boolean;
                case 14: return integer(0);
                case 15: return boolean;
                case 16: return choice(0, 3);
                case 17: return choice(0, 2);
                case 18: return choice(0, 3);
                case 19: return text;
                case 20: return choice(0, 2);
            }
            break;
        case Kind::ComboBox:
            switch (n) {
                case 8: return choice(0, 2);
                case 9: return text;
                case 10: return integer(0);
                case 14: return boolean;
                case 16:
                case 17: return colour;
                case 18: return font;
                case 19: return integer(-1);  // the upper end depends on the items (comboSelection)
                case 20: return text;
            }
            break;
        case Kind::SliderBar:
            switch (n) {
                case 8: return border;
                case 9: return boolean;
                case 10: return choice(0, 3);
                case 11: return integer(0);
                case 12: return boolean;
                case 13:
                case 14: return integer();
                case 15:
                case 16: return integer(1, kShortMax);
                case 17:
                case 18: return integer(0, kShortMax);
                case 19: return integer();  // clamped into the range by the slider (sliderPosition)
            }
            break;
        case Kind::PicBox:
            switch (n) {
                case 8: return border;
                case 9: return colour;
                case 10: return bytes;
                case 11: return choice(0, 2);
            }
            break;
        case Kind::DrawPanel:
            switch (n) {
                case 8: return border;
                case 9: return colour;
                case 10: return bytes;
                case 11: return choice(0, 2);
                case 12: return boolean;
                case 14: return choice(0, 6);
                case 15: return choice(0, 15);
                case 16: return integer(0, kShortMax);
                case 17: return colour;
                case 18: return integer(0);
                case 19:
                case 20:
                case 21: return colour;
                case 22: return font;
            }
            break;
        case Kind::SerialPort:
            switch (n) {
                case prop::serial::kPortNumber: return integer(1);
                case prop::serial::kBaudRate: return integer(0);
                case prop::serial::kDataBits: return integer();
                case prop::serial::kStopBits: return choice(1, 3);
                case prop::serial::kParityCheck: return boolean;
                case prop::serial::kEventChar: return text;
                case prop::serial::kTimeout: return integer(0);
                case prop::serial::kOpenOnCreate: return boolean;
                case prop::serial::kParity: return choice(0, 4);
                case prop::serial::kFlowControl: return choice(0, 5);
                case prop::serial::kRtsControl:
                case prop::serial::kDtrControl: return choice(0, 2);
            }
            break;
        case Kind::DropTarget:
            if (n >= 8 && n <= 11) return boolean;
            break;
    }
    return std::nullopt;
}

}  // namespace

std::optional<PropertyRule> propertyRule(Kind kind, int number) {
    if (number < 8) return commonRule(number);
    return kindRule(kind, number);
}

Value normaliseProperty(Kind kind, int number, const Value& value) {
    const auto rule = propertyRule(kind, number);
    if (!rule) return value;
    switch (rule->type) {
        case PropertyType::Integer: return std::clamp(asInt(value), rule->min, rule->max);
        case PropertyType::Boolean: return std::int32_t{asBool(value) ? 1 : 0};
        case PropertyType::Text: return asText(value);
        case PropertyType::Colour: return asInt(value);
        case PropertyType::Bytes:
        case PropertyType::Font: return asBytes(value);
    }
    return value;
}

std::int32_t clampChoice(std::int32_t value, std::int32_t lo, std::int32_t hi) { return std::clamp(value, lo, hi); }

std::int32_t comboSelection(std::int32_t requested, int itemCount) {
    if (requested < 0 || itemCount <= 0) return -1;
    return std::min(requested, itemCount - 1);
}

std::int32_t sliderPosition(std::int32_t requested, std::int32_t minimum, std::int32_t maximum) {
    return std::clamp(requested, minimum, std::max(minimum, maximum));
}

std::vector<std::string> splitItems(std::string_view text) {
    std::vector<std::string> items;
    if (text.empty()) return items;
    std::size_t start = 0;
    while (true) {
        const std::size_t nl = text.find('\n', start);
        std::string_view item = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        if (!item.empty() && item.back() == '\r') item.remove_suffix(1);
        if (nl == std::string_view::npos) {
            if (!item.empty()) items.emplace_back(item);  // a trailing separator adds no empty item
            break;
        }
        items.emplace_back(item);
        start = nl + 1;
    }
    return items;
}

std::string joinItems(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += "\r\n";
        out += items[i];
    }
    return out;
}

int borderThickness(std::int32_t code) {
    switch (code) {
        case kBorderSunken:
        case kBorderRaised: return 2;
        case kBorderShallow:
        case kBorderLine: return 1;
        case kBorderSunkenRaised: return 4;
        default: return 0;
    }
}

bool isDefaultColour(std::int32_t colour) { return static_cast<std::uint32_t>(colour) == kDefaultColour; }

Rgb colourRgb(std::int32_t colour) {
    const auto c = static_cast<std::uint32_t>(colour);
    return {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>((c >> 8) & 0xFF),
            static_cast<std::uint8_t>((c >> 16) & 0xFF)};
}

}  // namespace tessary
