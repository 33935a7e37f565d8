// SPDX-License-Identifier: GPL-3.0-or-later
// The image core's hot steps: the black-and-white conversion of a snapshot, turning and mirroring the
// engraving image, and the area-averaging resampling of the intake and of snapshots.
#include <benchmark/benchmark.h>

#include <random>

#include "image/area_scaler.h"
#include "image/bitmap.h"
#include "image/canvas.h"
#include "image/conversion.h"

namespace {

using namespace tessary::image;

Raster randomRaster(int w, int h) {
    Raster r(w, h);
    std::mt19937 gen(1);
    for (auto& b : r.rgb) b = static_cast<std::uint8_t>(gen());
    return r;
}

// The engraving bitmap of a snapshot, as the intake makes it with the default options.
Bitmap engravingBitmap() { return convertToBlackAndWhite(randomRaster(512, 512), {0, 0, 512, 512}, {}); }

void Rotate90OneBit(benchmark::State& state) {
    const Bitmap bw = engravingBitmap();
    const bool clockwise = state.range(0) != 0;
    for (auto _ : state) benchmark::DoNotOptimize(bw.Rotate90(clockwise));
}
BENCHMARK(Rotate90OneBit)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void MirrorOneBit(benchmark::State& state) {
    const Bitmap bw = engravingBitmap();
    for (auto _ : state) benchmark::DoNotOptimize(bw.Mirror(true, false));
}
BENCHMARK(MirrorOneBit)->Unit(benchmark::kMillisecond);

// A 24-megapixel picture streamed row by row into the field it is drawn at.
void AreaScaler6000x4000To490x326(benchmark::State& state) {
    const Raster row = randomRaster(6000, 1);
    for (auto _ : state) {
        AreaScaler scaler(490, 326);
        scaler.begin(6000, 4000);
        for (int y = 0; y < 4000; ++y) scaler.row(y, row.rgb.data());
        benchmark::DoNotOptimize(scaler.result());
    }
}
BENCHMARK(AreaScaler6000x4000To490x326)->Unit(benchmark::kMillisecond);

void Snapshot510To512(benchmark::State& state) {
    const Raster canvas = randomRaster(510, 510);
    const Resample mode = state.range(0) != 0 ? Resample::Halftone : Resample::Nearest;
    for (auto _ : state) benchmark::DoNotOptimize(takeSnapshot(canvas, 512, 512, mode));
}
BENCHMARK(Snapshot510To512)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void DrawPicture512To550(benchmark::State& state) {
    const Raster preview = randomRaster(512, 512);
    Raster canvas(510, 510);
    for (auto _ : state) {
        drawPicture(canvas, preview, -20, -20, 550, 550, Resample::Halftone);
        benchmark::DoNotOptimize(canvas.rgb.data());
    }
}
BENCHMARK(DrawPicture512To550)->Unit(benchmark::kMillisecond);

}  // namespace
