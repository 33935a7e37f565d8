// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG decoder alone on arbitrary bytes; inputs of odd length are decoded at a reduced DCT scale.
#include "fuzz_decode_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary::image;
    DecodeOptions options;
    if (size % 2 == 1) options.drawnSize = [](int w, int h) { return std::pair{w / 5, h / 3}; };
    fuzzing::decodeBytes(data, size, decode::decodeJpeg, options);
    return 0;
}
