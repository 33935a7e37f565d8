// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The console's own pictures, compiled into the program (drawn by draw/draw_resources.cpp).
#include <cstdint>
#include <span>

namespace tessary::resources {

// The main window's preview placeholder: a 512 x 512, 16-colour BMP file, almost all white.
std::span<const std::uint8_t> placeholderBmp();
// The Setting window's picture: a 1199 x 512 JPEG file.
std::span<const std::uint8_t> settingPicture();
// The program icon: a 128 x 128 PNG file with an alpha channel.
std::span<const std::uint8_t> programIcon();
// The preview's rulers (drawn by rulers/draw_rulers.cpp): 24-bit BMP files of 512 x 12 and 12 x 512.
std::span<const std::uint8_t> horizontalRulerBmp();
std::span<const std::uint8_t> verticalRulerBmp();

}  // namespace tessary::resources
