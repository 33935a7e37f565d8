// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Typed text as a picture to engrave: black on white, laid out in the chosen font and scaled as a whole
// so that it fills the 490 x 490 field's width or height, its proportions kept.
#include <string>
#include <vector>

#include "raster/raster.h"

namespace tessary::render {

enum class TextAlignment { Left, Centre, Right };

struct TextStyle {
    std::string family;     // empty: the default font
    double pointSize = 36;  // the size the lines are laid out at, before the whole is scaled
    bool bold = false;
    bool italic = false;
    TextAlignment alignment = TextAlignment::Left;
    bool operator==(const TextStyle&) const = default;
};

inline constexpr int kTextField = 490;

// The font families installed, in the order the font database lists them.
std::vector<std::string> installedFontFamilies();

// The family of the default font.
std::string defaultFontFamily();

// Whether the text has anything to draw (white space and invisible format characters alone have not).
bool hasText(const std::string& utf8);

// The picture, one side 490 pixels and the other at most that; empty when the text has nothing to draw.
image::Raster renderText(const std::string& utf8, const TextStyle& style);

}  // namespace tessary::render
