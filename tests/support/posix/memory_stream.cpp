// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/memory_stream.h"

namespace tessary::testing {

std::FILE* openMemoryStream(const std::uint8_t* data, std::size_t size) {
    return ::fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
}

}  // namespace tessary::testing
