// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/model/property_rules.h"

#include <algorithm>
#include <span>

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

struct NumberedRule {
    int number;
    PropertyRule rule;
};
using namespace prop;

// Left and top may go off the window, width and height not below 0 (numbers 0 to 7 are every kind's).
constexpr NumberedRule kCommon[] = {{kLeft, integer(-kCoordinateLimit, kCoordinateLimit)},
                                    {kTop, integer(-kCoordinateLimit, kCoordinateLimit)},
                                    {kWidth, integer(0, kCoordinateLimit)},
                                    {kHeight, integer(0, kCoordinateLimit)},
                                    {kTag, text},
                                    {kVisible, boolean},
                                    {kDisabled, boolean},
                                    {kMousePointer, bytes}};

constexpr NumberedRule kWindow[] = {{window::kCaption, text},
                                    {window::kBorderStyle, choice(0, 6)},
                                    {window::kBackColour, colour},
                                    {window::kBackPicture, bytes},
                                    {window::kBackPictureMode, choice(0, 2)}};
constexpr NumberedRule kButton[] = {{button::kPicture, bytes},       {button::kType, choice(0, 2)},
                                    {button::kCaption, text},        {button::kHAlign, choice(0, 2)},
                                    {button::kVAlign, choice(0, 2)}, {button::kFont, font},
                                    {button::kChecked, boolean}};
constexpr NumberedRule kGroupBox[] = {{groupbox::kCaption, text},
                                      {groupbox::kCaptionAlign, choice(0, 2)},
                                      {groupbox::kCaptionColour, colour},
                                      {groupbox::kBackColour, colour},
                                      {groupbox::kFont, font}};
constexpr NumberedRule kLabel[] = {{label::kCaption, text},
                                   {label::kBorder, border},
                                   {label::kFont, font},
                                   {label::kTextColour, colour},
                                   {label::kBackColour, colour},
                                   {label::kBackPicture, bytes},
                                   {label::kBackPictureMode, choice(0, 2)}};
constexpr NumberedRule kEditBox[] = {{editbox::kContent, text},
                                     {editbox::kBorder, border},
                                     {editbox::kTextColour, colour},
                                     {editbox::kBackColour, colour},
                                     {editbox::kFont, font},
                                     {editbox::kHideSelection, boolean},
                                     {editbox::kMaxLength, integer(0)},
                                     {editbox::kMultiLine, boolean},
                                     {editbox::kScrollBars, choice(0, 3)},
                                     {editbox::kAlignment, choice(0, 2)},
                                     {editbox::kInputMode, choice(0, 3)},
                                     {editbox::kPasswordChar, text},
                                     {editbox::kCaseConversion, choice(0, 2)}};
// The selection's upper end depends on the items (comboSelection).
constexpr NumberedRule kComboBox[] = {{combobox::kType, choice(0, 2)},
                                      {combobox::kText, text},
                                      {combobox::kMaxTextLength, integer(0)},
                                      {combobox::kSorted, boolean},
                                      {combobox::kTextColour, colour},
                                      {combobox::kBackColour, colour},
                                      {combobox::kFont, font},
                                      {combobox::kSelection, integer(-1)},
                                      {combobox::kItems, text}};
// The position is clamped into the range by the slider (sliderPosition).
constexpr NumberedRule kSliderBar[] = {{slider::kBorder, border},
                                       {slider::kVertical, boolean},
                                       {slider::kTickMarks, choice(0, 3)},
                                       {slider::kTickFrequency, integer(0)},
                                       {slider::kSelectionShown, boolean},
                                       {slider::kSelectionStart, integer()},
                                       {slider::kSelectionLength, integer()},
                                       {slider::kPageSize, integer(1, kShortMax)},
                                       {slider::kLineSize, integer(1, kShortMax)},
                                       {slider::kMinimum, integer(0, kShortMax)},
                                       {slider::kMaximum, integer(0, kShortMax)},
                                       {slider::kPosition, integer()}};
constexpr NumberedRule kPicBox[] = {{picbox::kBorder, border},
                                    {picbox::kBackColour, colour},
                                    {picbox::kPicture, bytes},
                                    {picbox::kDisplayMode, choice(0, 2)}};
constexpr NumberedRule kDrawPanel[] = {
    {drawpanel::kBorder, border},          {drawpanel::kBackColour, colour},
    {drawpanel::kBackPicture, bytes},      {drawpanel::kBackPictureMode, choice(0, 2)},
    {drawpanel::kAutoRedraw, boolean},     {drawpanel::kPenType, choice(0, 6)},
    {drawpanel::kDrawMode, choice(0, 15)}, {drawpanel::kPenWidth, integer(0, kShortMax)},
    {drawpanel::kPenColour, colour},       {drawpanel::kBrushType, integer(0)},
    {drawpanel::kBrushColour, colour},     {drawpanel::kTextColour, colour},
    {drawpanel::kTextBackColour, colour},  {drawpanel::kFont, font}};
constexpr NumberedRule kSerialPort[] = {
    {serial::kPortNumber, integer(1)},   {serial::kBaudRate, integer(0)},
    {serial::kDataBits, integer()},      {serial::kStopBits, choice(1, 3)},
    {serial::kParityCheck, boolean},     {serial::kEventChar, text},
    {serial::kTimeout, integer(0)},      {serial::kOpenOnCreate, boolean},
    {serial::kParity, choice(0, 4)},     {serial::kFlowControl, choice(0, 5)},
    {serial::kRtsControl, choice(0, 2)}, {serial::kDtrControl, choice(0, 2)}};
constexpr NumberedRule kDropTarget[] = {{droptarget::kAcceptText, boolean},
                                        {droptarget::kAcceptHtml, boolean},
                                        {droptarget::kAcceptUrls, boolean},
                                        {droptarget::kAcceptFiles, boolean}};

std::span<const NumberedRule> kindRules(Kind kind) {
    switch (kind) {
        case Kind::Window:
            return kWindow;
        case Kind::Button:
            return kButton;
        case Kind::GroupBox:
            return kGroupBox;
        case Kind::Label:
            return kLabel;
        case Kind::EditBox:
            return kEditBox;
        case Kind::ComboBox:
            return kComboBox;
        case Kind::SliderBar:
            return kSliderBar;
        case Kind::PicBox:
            return kPicBox;
        case Kind::DrawPanel:
            return kDrawPanel;
        case Kind::SerialPort:
            return kSerialPort;
        case Kind::DropTarget:
            return kDropTarget;
    }
    return {};
}

std::optional<PropertyRule> find(std::span<const NumberedRule> rules, int number) {
    for (const NumberedRule& r : rules)
        if (r.number == number) return r.rule;
    return std::nullopt;
}

}  // namespace

std::optional<PropertyRule> propertyRule(Kind kind, int number) {
    return number < 8 ? find(kCommon, number) : find(kindRules(kind), number);
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
