// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Typed text as a picture to engrave: black on white, laid out in the chosen font, at the chosen size (the
// height of a capital letter, in dots of the 512-dot engraving) or scaled as a whole to fill the 490-pixel
// field's width.
#include <cstdio>
#include <string>
#include <vector>

#include "raster/raster.h"

namespace tessary::render {

enum class TextAlignment { Left, Centre, Right };

inline constexpr int kTextField = 490;  // pixels of the canvas's surface, which is 510 pixels for 512 dots
inline constexpr double kDotsPerPixel = 512.0 / 510.0;
inline constexpr int kFieldDots = 492;  // the field in dots of the engraving, rounded as the text's are
inline constexpr int kDefaultTextSize = 36;
inline constexpr int kMaxTextSize = kTextField;
// Longer texts are not laid out at all: they could not be read in the field, and laying them out would keep
// the window busy for seconds at each key.
inline constexpr std::size_t kMaxTextLength = 20000;

struct TextStyle {
    std::string family;  // empty: the default font
    // The height of a capital letter, in dots of the engraving (lines are further apart, and descenders reach
    // below). Ignored with fillWidth.
    int size = kDefaultTextSize;
    // Scaled as a whole to the field's width, or its height for a text taller than wide.
    bool fillWidth = false;
    bool bold = false;
    bool italic = false;
    TextAlignment alignment = TextAlignment::Centre;
    bool operator==(const TextStyle&) const = default;
};

// The font families installed, in the order the font database lists them.
std::vector<std::string> installedFontFamilies();

// The family of the default font.
std::string defaultFontFamily();

// Whether the text has anything to draw (white space and invisible format characters alone have not).
bool hasText(const std::string& utf8);

// What the text needs in the field at the style's size (nothing for a text too long).
struct TextFit {
    int width = 0;  // dots of the engraving
    int height = 0;
    bool fits = false;    // filling the width: also that its capital letters are at least a dot high
    int largestSize = 0;  // the largest size at which it fits, 0 when even size 1 does not
};
TextFit measureText(const std::string& utf8, const TextStyle& style);

// The characters of the text that no installed font draws, each once, in the order they come (at most
// `limit`). Blanks and invisible format characters are none of them.
std::u32string undrawableCharacters(const std::string& utf8, const TextStyle& style, std::size_t limit = 5);

// Whether the text has more than kMaxTextLength characters.
bool textTooLong(const std::string& utf8);

// Why the text cannot be engraved as it is, as a sentence for the operator: too long, characters no font
// draws, too large for the field at its size, or too long to fill the width. Empty when it can (or when it
// has nothing to draw at all).
std::string textRefusal(const std::string& utf8, const TextStyle& style);

// "U+10000": a character by its code point.
inline std::string codePointName(char32_t c) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

// The picture at the style's size, at most 490 x 490: a text too large for the field at that size is drawn
// as large as fits (measureText tells when). Empty when the text has nothing to draw or is too long.
image::Raster renderText(const std::string& utf8, const TextStyle& style);

}  // namespace tessary::render
