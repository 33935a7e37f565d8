#pragma once
// Record builders for the window definitions: each returns one unit record with the kind's design-time
// defaults filled in, so the definition tables list only what differs per unit.
#include <string>

#include "app/model/window_def.h"

namespace tessary::records {

inline constexpr std::int32_t kBlack = 0x000000;
inline constexpr std::int32_t kWhite = 0xFFFFFF;
inline constexpr std::int32_t kDefault = static_cast<std::int32_t>(kDefaultColour);

struct Place {
    int left, top, width, height;
};

UnitDef button(std::string name, std::string container, Place p, std::string caption, std::string onClick);
UnitDef groupBox(std::string name, Place p, std::string caption, std::int32_t captionColour);
UnitDef label(std::string name, Place p, std::string caption);
UnitDef drawPanel(std::string name, std::string container, Place p, std::int32_t border);
UnitDef picBox(std::string name, std::string container, Place p, Bytes picture, std::int32_t displayMode);
// A unit with no kind properties yet.
UnitDef plain(std::string name, Kind kind, std::string container, Place p);

}  // namespace tessary::records
