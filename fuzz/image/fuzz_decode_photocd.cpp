// SPDX-License-Identifier: GPL-3.0-or-later
// The Photo CD decoder on an image pack built around the input: its first byte chooses whether the
// signature is written (bit 0) and whether the pack is one byte too small (bit 1); the rest is the base
// image.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz_decode_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary::image;
    if (size == 0) return 0;
    constexpr std::size_t kPackBytes = 1'048'576, kBaseOffset = 0x30000;
    static std::vector<std::uint8_t> pack;
    pack.assign(kPackBytes, 0);
    if (data[0] & 1) std::memcpy(pack.data() + 2048, "PCD_IPI", 7);
    const std::size_t base = std::min(size - 1, kPackBytes - kBaseOffset);
    std::memcpy(pack.data() + kBaseOffset, data + 1, base);
    const std::size_t packSize = (data[0] & 2) ? kPackBytes - 1 : kPackBytes;
    fuzzing::decodeBytes(pack.data(), packSize, decode::decodePhotoCd);
    return 0;
}
