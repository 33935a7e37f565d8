// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two ruler strips over the preview's right and bottom edges: 24-bit BMP files of 512 x 12
// (horizontal) and 12 x 512 (vertical), white with black edge line, ticks and "0"/"5" labels.
#include <cstdint>
#include <vector>

namespace tessary::resources {

enum class RulerAxis { Horizontal, Vertical };

inline constexpr int kRulerLength = 512;
inline constexpr int kRulerBreadth = 12;

// Tick positions along the strip: the nearest pixel to every 511/38 pixels, from 0. On the horizontal
// ruler halves round up and the last tick is at 498 (its right end is a black bar); on the vertical one
// halves round down and the ticks run to 511.
std::vector<int> rulerTicks(RulerAxis axis);

// Every fifth tick carries a label, "0" and "5" alternately.
inline bool labelledTick(int tickNumber) { return tickNumber % 5 == 0; }

// The ruler as a BMP file: 54-byte header, 24 bits per pixel, rows bottom-up; 18,486 bytes.
std::vector<std::uint8_t> drawRuler(RulerAxis axis);

}  // namespace tessary::resources
