// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A byte set: file data, a picture's BMP form, what goes over the serial line.
#include <cstdint>
#include <vector>

namespace tessary {

using Bytes = std::vector<std::uint8_t>;

}  // namespace tessary
