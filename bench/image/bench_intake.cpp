// SPDX-License-Identifier: GPL-3.0-or-later
// The intake's steps: decoding straight to the fitted size (pictures from bench/make_pictures.sh in
// TESSARY_BENCH_PICTURES), the 512 x 512 snapshot, the black-and-white step, the flip for the engraver,
// the preview file's write, and the whole intake on a canvas in memory.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "image/conversion.h"
#include "image/files.h"
#include "intake/fitted_picture.h"
#include "intake/intake.h"

namespace {

using namespace tessary;

std::string picture(benchmark::State& state, const char* name) {
    const char* dir = std::getenv("TESSARY_BENCH_PICTURES");
    const std::filesystem::path path = std::filesystem::path(dir ? dir : "") / name;
    if (!dir || !std::filesystem::exists(path)) {
        state.SkipWithError("set TESSARY_BENCH_PICTURES to the folder made by make_pictures.sh");
        return {};
    }
    return path.string();
}

image::Raster canvasWithPhoto() {
    image::Raster canvas(510, 510);
    std::mt19937 gen(1);
    for (auto& b : canvas.rgb) b = static_cast<std::uint8_t>(gen());
    return canvas;
}

void DecodeFitted(benchmark::State& state, const char* name) {
    const std::string path = picture(state, name);
    if (path.empty()) return;
    for (auto _ : state) {
        intake::FittedPicture fitted;
        if (intake::decodeFitted(path, image::Resample::Halftone, fitted) != image::kConvertOk) {
            state.SkipWithError("decoding failed");
            return;
        }
        benchmark::DoNotOptimize(fitted.pixels.rgb.data());
    }
}
BENCHMARK_CAPTURE(DecodeFitted, jpeg_24mp, "photo_24mp_6000x4000.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeFitted, jpeg_12mp, "photo_12mp_4240x2828.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeFitted, jpeg_2mp, "photo_2mp_1732x1155.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeFitted, png_24mp, "photo_24mp_6000x4000.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeFitted, tiff_24mp, "photo_24mp_6000x4000.tif")->Unit(benchmark::kMillisecond);

void Snapshot(benchmark::State& state) {
    const image::Raster canvas = canvasWithPhoto();
    for (auto _ : state)
        benchmark::DoNotOptimize(image::takeSnapshot(canvas, 512, 512, image::Resample::Halftone));
}
BENCHMARK(Snapshot)->Unit(benchmark::kMicrosecond);

image::Raster snapshotRaster() {
    image::Raster snapshot(512, 512);
    std::mt19937 gen(1);
    for (auto& b : snapshot.rgb) b = static_cast<std::uint8_t>(gen());
    return snapshot;
}

void BlackAndWhite(benchmark::State& state) {
    const image::Raster snapshot = snapshotRaster();
    for (auto _ : state)
        benchmark::DoNotOptimize(image::convertToBlackAndWhite(snapshot, {0, 0, 512, 512}, {}));
}
BENCHMARK(BlackAndWhite)->Unit(benchmark::kMicrosecond);

void FlipForEngraver(benchmark::State& state) {
    const image::Bitmap bw = image::convertToBlackAndWhite(snapshotRaster(), {0, 0, 512, 512}, {});
    for (auto _ : state) benchmark::DoNotOptimize(bw.Mirror(false, true));
}
BENCHMARK(FlipForEngraver)->Unit(benchmark::kMicrosecond);

// What Rotate does per click.
void QuarterTurn(benchmark::State& state) {
    const image::Bitmap bw = image::convertToBlackAndWhite(snapshotRaster(), {0, 0, 512, 512}, {});
    for (auto _ : state) benchmark::DoNotOptimize(bw.Mirror(true, false).Rotate90(false));
}
BENCHMARK(QuarterTurn)->Unit(benchmark::kMicrosecond);

void WritePreview(benchmark::State& state) {
    const image::Bytes bmp(32830, 0x55);
    const std::string path = (std::filesystem::temp_directory_path() / "bench-intake-preview.bmp").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(image::writeFile(path, {std::span<const std::uint8_t>(bmp)}));
    platform::deleteFile(path);
}
BENCHMARK(WritePreview)->Unit(benchmark::kMicrosecond);

class InMemory : public intake::Surroundings {
  public:
    image::Raster& canvas() override { return canvas_; }
    std::uint32_t canvasBackground() override { return intake::kButtonFace; }
    image::Resample resampling() override { return image::Resample::Halftone; }
    std::string previewFile() override { return path; }
    void log(std::string_view) override {}
    void showPreview(const image::Bytes&) override {}
    void wrongFileType() override {}
    std::string path = (std::filesystem::temp_directory_path() / "bench-intake-preview.bmp").string();

  private:
    image::Raster canvas_{510, 510};
};

void WholeIntake(benchmark::State& state, const char* name) {
    const std::string path = picture(state, name);
    if (path.empty()) return;
    InMemory around;
    for (auto _ : state) {
        intake::ImageState image;
        if (intake::takeIn(image, around, path) != intake::IntakeResult::Prepared) {
            state.SkipWithError("intake failed");
            return;
        }
    }
    platform::deleteFile(around.path);
}
BENCHMARK_CAPTURE(WholeIntake, jpeg_24mp, "photo_24mp_6000x4000.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WholeIntake, png_24mp, "photo_24mp_6000x4000.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WholeIntake, tiff_24mp, "photo_24mp_6000x4000.tif")->Unit(benchmark::kMillisecond);

}  // namespace
