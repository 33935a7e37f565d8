// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Windows icon file (.ico): the icon at several sizes, each stored as a PNG picture, as Windows Vista and
// later read them.
#include <cstdint>
#include <vector>

namespace tessary::packaging {

struct IconPicture {
    int size = 0;                   // width and height, 1..256
    std::vector<std::uint8_t> png;  // the picture as a PNG file
};

// The .ico file holding the pictures in the order given; empty when a size is out of range.
std::vector<std::uint8_t> iconFile(const std::vector<IconPicture>& pictures);

}  // namespace tessary::packaging
