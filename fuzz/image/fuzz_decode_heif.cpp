// SPDX-License-Identifier: GPL-3.0-or-later
// The HEIC and AVIF decoder alone on arbitrary bytes.
#include "fuzz_decode_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessary::image::fuzzing::decodeBytes(data, size, tessary::image::decode::decodeHeifPicture, {},
                                         tessary::image::fuzzing::kQuickPixels);
    return 0;
}
