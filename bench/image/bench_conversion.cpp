// SPDX-License-Identifier: GPL-3.0-or-later
// One re-conversion of the kept picture after an option change, per conversion mode: the picture drawn on the
// canvas and its snapshot, adjustments, conversion, preview file, preview BMP data and the engraver's flip
// (what follows a slider as it is dragged).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "intake/headless.h"

namespace {

using namespace tessary;

// A smooth picture with fine texture, taken in from a 4:3 photo of 1960 x 1468 and so kept at 490 x 367.
intake::ImageState keptPhoto() {
    intake::ImageState state;
    state.pictureWidth = 1960;
    state.pictureHeight = 1468;
    state.picture = image::Raster(490, 367);
    std::mt19937 gen(1);
    for (int y = 0; y < state.picture.height; ++y)
        for (int x = 0; x < state.picture.width; ++x) {
            std::uint8_t* p = state.picture.at(x, y);
            const int base = (x + y) * 255 / 857;
            for (int c = 0; c < 3; ++c)
                p[c] =
                    static_cast<std::uint8_t>(std::clamp(base + static_cast<int>(gen() % 41) - 20, 0, 255));
        }
    return state;
}

void Reconvert(benchmark::State& state) {
    intake::ImageState image = keptPhoto();
    image.options.mode = static_cast<image::Conversion>(state.range(0));
    image.options.brightness = 5;  // an adjustment, as a dragged slider gives
    if (state.range(1)) {
        image.options.sharpen = 40;
        image.options.gamma = 120;
    }
    const auto out = std::filesystem::temp_directory_path() / "tessary-bench-reconvert.bmp";
    intake::Headless around(out.string(), true);
    for (auto _ : state) {
        if (!intake::reconvert(image, around)) state.SkipWithError("reconversion failed");
        benchmark::DoNotOptimize(image.engraving.storedRow(0));
    }
    state.SetLabel(std::string(image::conversionKey(image.options.mode)) +
                   (state.range(1) ? " +sharpen+gamma" : ""));
    std::filesystem::remove(out);
}
BENCHMARK(Reconvert)->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
