#include "app/definitions/unit_records.h"

#include "app/model/properties.h"

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
    u.properties = {{l::kCaption, std::move(caption)}, {l::kBorder, 0}, {l::kTextColour, kBlack},
                    {l::kBackColour, kDefault}};
    return u;
}

UnitDef drawPanel(std::string name, std::string container, Place p, std::int32_t border) {
    namespace d = prop::drawpanel;
    UnitDef u = base(std::move(name), Kind::DrawPanel, std::move(container), p);
    u.properties = {{d::kBorder, border},  {d::kBackColour, kDefault}, {d::kAutoRedraw, 1},
                    {d::kPenType, 1},      {d::kDrawMode, 12},         {d::kPenWidth, 1},
                    {d::kPenColour, kBlack}, {d::kBrushType, 1},       {d::kBrushColour, kWhite},
                    {d::kTextColour, kBlack}};
    return u;
}

UnitDef picBox(std::string name, std::string container, Place p, Bytes picture, std::int32_t displayMode) {
    namespace pb = prop::picbox;
    UnitDef u = base(std::move(name), Kind::PicBox, std::move(container), p);
    u.properties = {{pb::kBorder, 0}, {pb::kBackColour, kDefault}, {pb::kPicture, std::move(picture)},
                    {pb::kDisplayMode, displayMode}};
    return u;
}

UnitDef plain(std::string name, Kind kind, std::string container, Place p) {
    return base(std::move(name), kind, std::move(container), p);
}

}  // namespace tessary::records
