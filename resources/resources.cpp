// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstddef>

#include "tessary_resources.h"

namespace tessary::resources {

namespace data {
extern const std::uint8_t placeholder_bmp[];
extern const std::size_t placeholder_bmp_size;
extern const std::uint8_t setting_jpg[];
extern const std::size_t setting_jpg_size;
extern const std::uint8_t icon_png[];
extern const std::size_t icon_png_size;
extern const std::uint8_t ruler_horizontal_bmp[];
extern const std::size_t ruler_horizontal_bmp_size;
extern const std::uint8_t ruler_vertical_bmp[];
extern const std::size_t ruler_vertical_bmp_size;
}  // namespace data

std::span<const std::uint8_t> placeholderBmp() { return {data::placeholder_bmp, data::placeholder_bmp_size}; }
std::span<const std::uint8_t> settingPicture() { return {data::setting_jpg, data::setting_jpg_size}; }
std::span<const std::uint8_t> programIcon() { return {data::icon_png, data::icon_png_size}; }
std::span<const std::uint8_t> horizontalRulerBmp() {
    return {data::ruler_horizontal_bmp, data::ruler_horizontal_bmp_size};
}
std::span<const std::uint8_t> verticalRulerBmp() {
    return {data::ruler_vertical_bmp, data::ruler_vertical_bmp_size};
}

}  // namespace tessary::resources
