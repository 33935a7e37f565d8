// SPDX-License-Identifier: GPL-3.0-or-later
// The SVG renderer alone on arbitrary bytes, asked for a small drawn size as the intake asks.
#include "fuzz_decode_input.h"
#include "image/render/svg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessary::image::DecodeOptions options;
    options.drawnSize = [](int width, int height) {
        return std::pair{width < 64 ? width : 64, height < 64 ? height : 64};
    };
    tessary::image::fuzzing::decodeBytes(data, size, tessary::render::decodeSvg, options,
                                         tessary::image::fuzzing::kQuickPixels);
    return 0;
}
