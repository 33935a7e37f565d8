// SPDX-License-Identifier: GPL-3.0-or-later
// The BMP decoder alone on arbitrary bytes. Run-length codes can describe a large canvas in a few bytes.
#include "fuzz_decode_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessary::image::fuzzing::decodeBytes(data, size, tessary::image::decode::decodeBmp, {},
                                         tessary::image::fuzzing::kQuickPixels);
    return 0;
}
