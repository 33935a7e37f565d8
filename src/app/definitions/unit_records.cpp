// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/definitions/unit_records.h"

#include "app/model/properties.h"
#include "app/model/property_rules.h"

namespace tessary::records {

namespace {
UnitDef base(std::string name, Kind kind, std::string container, Place p) {
    UnitDef u;
    u.name = std::move(name);
    u.kind = kind;
    u.container = std::move(container);
    u.left = p.left;
    u.top = p.top;
    u.width = p.width;
    u.height = p.height;
    return u;
}
}  // namespace

UnitDef button(std::string name, std::string container, Place p, std::string caption, std::string onClick) {
    namespace b = prop::button;
    UnitDef u = base(std::move(name), Kind::Button, std::move(container), p);
    u.properties = {{b::kType, 0}, {b::kCaption, std::move(caption)}, {b::kHAlign, 1}, {b::kVAlign, 1}};
    u.events = {{event::kClick, std::move(onClick)}};
    return u;
}

UnitDef groupBox(std::string name, Place p, std::string caption, std::int32_t captionColour) {
    namespace g = prop::groupbox;
    UnitDef u = base(std::move(name), Kind::GroupBox, "", p);
    u.properties = {{g::kCaption, std::move(caption)},
                    {g::kCaptionAlign, 0},
                    {g::kCaptionColour, captionColour},
                    {g::kBackColour, kDefault}};
    return u;
}

UnitDef label(std::string name, Place p, std::string caption) {
    namespace l = prop::label;
    UnitDef u = base(std::move(name), Kind::Label, "", p);
    u.properties = {{l::kCaption, std::move(caption)},
                    {l::kBorder, 0},
                    {l::kTextColour, kBlack},
                    {l::kBackColour, kDefault}};
    return u;
}

UnitDef drawPanel(std::string name, std::string container, Place p, std::int32_t border) {
    namespace d = prop::drawpanel;
    UnitDef u = base(std::move(name), Kind::DrawPanel, std::move(container), p);
    u.properties = {{d::kBorder, border},    {d::kBackColour, kDefault}, {d::kAutoRedraw, 1},
                    {d::kPenType, 1},        {d::kDrawMode, 12},         {d::kPenWidth, 1},
                    {d::kPenColour, kBlack}, {d::kBrushType, 1},         {d::kBrushColour, kWhite},
                    {d::kTextColour, kBlack}};
    return u;
}

UnitDef picBox(std::string name, std::string container, Place p, Bytes picture, std::int32_t displayMode) {
    namespace pb = prop::picbox;
    UnitDef u = base(std::move(name), Kind::PicBox, std::move(container), p);
    u.properties = {{pb::kBorder, 0},
                    {pb::kBackColour, kDefault},
                    {pb::kPicture, std::move(picture)},
                    {pb::kDisplayMode, displayMode}};
    return u;
}

UnitDef slider(std::string name, Place p, int minimum, int maximum, int position, std::string onChange) {
    namespace s = prop::slider;
    UnitDef u = base(std::move(name), Kind::SliderBar, "", p);
    u.properties = {{s::kBorder, 0},         {s::kVertical, 0},       {s::kTickMarks, 0},
                    {s::kTickFrequency, 1},  {s::kSelectionShown, 0}, {s::kPageSize, 5},
                    {s::kLineSize, 1},       {s::kMinimum, minimum},  {s::kMaximum, maximum},
                    {s::kPosition, position}};
    u.events = {{event::kChanged, std::move(onChange)}};
    return u;
}

UnitDef dropDownList(std::string name, Place p, const std::vector<std::string>& items, int selection,
                     std::string onChange) {
    namespace c = prop::combobox;
    UnitDef u = base(std::move(name), Kind::ComboBox, "", p);
    u.properties = {{c::kType, 2},
                    {c::kSorted, 0},
                    {c::kTextColour, kBlack},
                    {c::kBackColour, kWhite},
                    {c::kItems, joinItems(items)},
                    {c::kSelection, selection}};
    u.events = {{event::kChanged, std::move(onChange)}};
    return u;
}

UnitDef toggle(std::string name, Place p, std::string caption, std::string onClick) {
    namespace b = prop::button;
    UnitDef u = base(std::move(name), Kind::Button, "", p);
    u.properties = {
        {b::kType, 2}, {b::kCaption, std::move(caption)}, {b::kHAlign, 1}, {b::kVAlign, 1}, {b::kChecked, 0}};
    u.events = {{event::kClick, std::move(onClick)}};
    return u;
}

UnitDef plain(std::string name, Kind kind, std::string container, Place p) {
    return base(std::move(name), kind, std::move(container), p);
}

}  // namespace tessary::records
