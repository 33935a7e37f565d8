// SPDX-License-Identifier: GPL-3.0-or-later
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
        case prop::kTop:
            return integer(-prop::kCoordinateLimit, prop::kCoordinateLimit);
        case prop::kWidth:
        case prop::kHeight:
            return integer(0, prop::kCoordinateLimit);
        case prop::kTag:
            return text;
        case prop::kVisible:
        case prop::kDisabled:
            return boolean;
        case prop::kMousePointer:
            return bytes;
        default:
            return std::nullopt;
    }
}

std::optional<PropertyRule> windowRule(int n) {
    using namespace prop::window;
    switch (n) {
        case kCaption:
            return text;
        case kBorderStyle:
            return choice(0, 6);
        case kBackColour:
            return colour;
        case kBackPicture:
            return bytes;
        case kBackPictureMode:
            return choice(0, 2);
        default:
            return std::nullopt;
    }
}

std::optional<PropertyRule> buttonRule(int n) {
    using namespace prop::button;
    switch (n) {
        case kPicture:
            return bytes;
        case kType:
            return choice(0, 2);
        case kCaption:
            return text;
        case kHAlign:
        case kVAlign:
            return choice(0, 2);
        case kFont:
            return font;
        case kChecked:
            return boolean;
        default:
            return std::nullopt;
    }
}

std::optional<PropertyRule> groupBoxRule(int n) {
    using namespace prop::groupbox;
    switch (n) {
        case kCaption:
            return text;
        case kCaptionAlign:
            return choice(0, 2);
        case kCaptionColour:
        case kBackColour:
            return colour;
        case kFont:
            return font;
        default:
            return std::nullopt;
    }
}

std::optional<PropertyRule> labelRule(int n) {
    using namespace prop::label;
    switch (n) {
        case kCaption:
            return text;
        case kBorder:
            return border;
        case kFont:
            return font;
        case kTextColour:
        case kBackColour:
            return colour;
        case kBackPicture:
            return bytes;
        case kBackPictureMode:
            return choice(0, 2);
        default:
            return std::nullopt;
    }
}

std::optional<PropertyRule> editBoxRule(int n) {
    using namespace prop::editbox;
    switch (n) {
        case kContent:
            return text;
        case kBorder:
            return border;
        case kTextColour:
        case kBackColour:
            return colour;
        case kFont:
            return font;
        case kHideSelection:
            return boolean;
        case kMaxLength:
            return integer(0);
        case kMultiLine:
            return boolean;
        case kScrollBars:
            return choice(0, 3);
        case kAlignment:
            return choice(0, 2);
        case kInputMode:
            return choice(0, 3);
        case kPasswordChar:
            return text;
        case kCaseConversion:
            return choice(0, 2);
        default:
            return std::nullopt;
    }
}

std::optional<PropertyRule> comboBoxRule(int n) {
    using namespace prop::combobox;
    switch (n) {
        case kType:
            return choice(0, 2);
        case kText:
            return text;
        case kMaxTextLength:
            return integer(0);
        case kSorted:
            return boolean;
        case kTextColour:
        case kBackColour:
            return colour;
        case kFont:
            return font;
        case kSelection:
            return integer(-1);  // the upper end depends on the items (comboSelection)
        case kItems:
            return text;
        default:
            return std::nullopt;
    }
}

std::optional<PropertyRule> sliderRule(int n) {
    using namespace prop::slider;
    switch (n) {
        case kBorder:
            return border;
        case kVertical:
            return boolean;
        case kTickMarks:
            return choice(0, 3);
        case kTickFrequency:
            return integer(0);
        case kSelectionShown:
            return boolean;
        case kSelectionStart:
        case kSelectionLength:
            return integer();
        case kPageSize:
        case kLineSize:
            return integer(1, kShortMax);
        case kMinimum:
        case kMaximum:
            return integer(0, kShortMax);
        case kPosition:
            return integer();  // clamped into the range by the slider (sliderPosition)
        default:
            return std::nullopt;
    }
}

std::optional<PropertyRule> picBoxRule(int n) {
    using namespace prop::picbox;
    switch (n) {
        case kBorder:
            return border;
        case kBackColour:
            return colour;
        case kPicture:
            return bytes;
        case kDisplayMode:
            return choice(0, 2);
        default:
            return std::nullopt;
    }
}

std::optional<PropertyRule> drawPanelRule(int n) {
    using namespace prop::drawpanel;
    switch (n) {
        case kBorder:
            return border;
        case kBackColour:
            return colour;
        case kBackPicture:
            return bytes;
        case kBackPictureMode:
            return choice(0, 2);
        case kAutoRedraw:
            return boolean;
        case kPenType:
            return choice(0, 6);
        case kDrawMode:
            return choice(0, 15);
        case kPenWidth:
            return integer(0, kShortMax);
        case kPenColour:
            return colour;
        case kBrushType:
            return integer(0);
        case kBrushColour:
        case kTextColour:
        case kTextBackColour:
            return colour;
        case kFont:
            return font;
        default:
            return std::nullopt;
    }
}

std::optional<PropertyRule> serialPortRule(int n) {
    using namespace prop::serial;
    switch (n) {
        case kPortNumber:
            return integer(1);
        case kBaudRate:
            return integer(0);
        case kDataBits:
            return integer();
        case kStopBits:
            return choice(1, 3);
        case kParityCheck:
            return boolean;
        case kEventChar:
            return text;
        case kTimeout:
            return integer(0);
        case kOpenOnCreate:
            return boolean;
        case kParity:
            return choice(0, 4);
        case kFlowControl:
            return choice(0, 5);
        case kRtsControl:
        case kDtrControl:
            return choice(0, 2);
        default:
            return std::nullopt;
    }
}

std::optional<PropertyRule> dropTargetRule(int n) {
    using namespace prop::droptarget;
    if (n >= kAcceptText && n <= kAcceptFiles) return boolean;
    return std::nullopt;
}

std::optional<PropertyRule> kindRule(Kind kind, int n) {
    switch (kind) {
        case Kind::Window:
            return windowRule(n);
        case Kind::Button:
            return buttonRule(n);
        case Kind::GroupBox:
            return groupBoxRule(n);
        case Kind::Label:
            return labelRule(n);
        case Kind::EditBox:
            return editBoxRule(n);
        case Kind::ComboBox:
            return comboBoxRule(n);
        case Kind::SliderBar:
            return sliderRule(n);
        case Kind::PicBox:
            return picBoxRule(n);
        case Kind::DrawPanel:
            return drawPanelRule(n);
        case Kind::SerialPort:
            return serialPortRule(n);
        case Kind::DropTarget:
            return dropTargetRule(n);
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
        case PropertyType::Integer:
            return std::clamp(asInt(value), rule->min, rule->max);
        case PropertyType::Boolean:
            return std::int32_t{asBool(value) ? 1 : 0};
        case PropertyType::Text:
            return asText(value);
        case PropertyType::Colour:
            return asInt(value);
        case PropertyType::Bytes:
        case PropertyType::Font:
            return asBytes(value);
    }
    return value;
}

std::int32_t clampChoice(std::int32_t value, std::int32_t lo, std::int32_t hi) {
    return std::clamp(value, lo, hi);
}

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
        std::string_view item =
            text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
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
        case kBorderRaised:
            return 2;
        case kBorderShallow:
        case kBorderLine:
            return 1;
        case kBorderSunkenRaised:
            return 4;
        default:
            return 0;
    }
}

bool isDefaultColour(std::int32_t colour) { return static_cast<std::uint32_t>(colour) == kDefaultColour; }

Rgb colourRgb(std::int32_t colour) {
    const auto c = static_cast<std::uint32_t>(colour);
    return {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>((c >> 8) & 0xFF),
            static_cast<std::uint8_t>((c >> 16) & 0xFF)};
}

}  // namespace tessary
