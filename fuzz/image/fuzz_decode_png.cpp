// SPDX-License-Identifier: GPL-3.0-or-later
// The PNG decoder alone on arbitrary bytes.
#include "fuzz_decode_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessary::image::fuzzing::decodeBytes(data, size, tessary::image::decode::decodePng);
    return 0;
}
