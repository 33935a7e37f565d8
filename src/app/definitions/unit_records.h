// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Record builders for the window definitions: each returns one unit record with the kind's design-time
// defaults filled in, so the definition tables list only what differs per unit.
#include <string>
#include <vector>

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
// A horizontal slider without ticks whose every change of position raises onChange.
UnitDef slider(std::string name, Place p, int minimum, int maximum, int position, std::string onChange);
// A drop-down list (no typing) whose every change of selection raises onChange.
UnitDef dropDownList(std::string name, Place p, const std::vector<std::string>& items, int selection,
                     std::string onChange);
// A button that stays pressed until clicked again.
UnitDef toggle(std::string name, Place p, std::string caption, std::string onClick);
// A unit with no kind properties yet.
UnitDef plain(std::string name, Kind kind, std::string container, Place p);

}  // namespace tessary::records
