// SPDX-License-Identifier: GPL-3.0-or-later
// The formats read through other libraries, taken in whole: an SVG logo of 2,000 paths (made here), and
// the pictures named by TESSARY_BENCH_FORMATS (a folder with photo12.heic, photo12_grid.heic and
// photo12.webp, as bench/formats.sh makes them), skipped when it is not set.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "intake/intake.h"

namespace {

using namespace tessary;

class Headless : public intake::Surroundings {
  public:
    explicit Headless(std::string preview) : preview_(std::move(preview)), canvas_(510, 510) {}
    image::Raster& canvas() override { return canvas_; }
    std::uint32_t canvasBackground() override { return intake::kButtonFace; }
    image::Resample resampling() override { return image::Resample::Halftone; }
    std::string previewFile() override { return preview_; }
    void log(std::string_view) override {}
    void showPreview(const image::Bytes&) override {}
    void wrongFileType() override {}

  private:
    std::string preview_;
    image::Raster canvas_;
};

// Closed curved paths, filled grey and stroked black, scattered over a 1200 x 800 page.
std::string svgLogo(int paths) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> unit(0, 1);
    std::string s =
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="1200" height="800" viewBox="0 0 1200 800">)";
    char buffer[160];
    for (int i = 0; i < paths; ++i) {
        const double cx = unit(rng) * 1200, cy = unit(rng) * 800, r = 4 + unit(rng) * 36;
        std::string d;
        double px = 0, py = 0;
        for (int k = 0; k < 6; ++k) {
            const double a = k * M_PI / 3 + (unit(rng) - 0.5) * 0.6;
            const double x = cx + r * std::cos(a), y = cy + r * std::sin(a);
            if (k == 0)
                std::snprintf(buffer, sizeof buffer, "M%.1f %.1f", x, y);
            else
                std::snprintf(buffer, sizeof buffer, " Q%.1f %.1f %.1f %.1f", (px + x) / 2 + unit(rng) * 8,
                              (py + y) / 2 + unit(rng) * 8, x, y);
            d += buffer;
            px = x, py = y;
        }
        const int grey = static_cast<int>(unit(rng) * 200);
        std::snprintf(buffer, sizeof buffer,
                      R"x(" fill="rgb(%d,%d,%d)" stroke="black" stroke-width="%.1f"/>)x", grey, grey, grey,
                      0.5 + unit(rng) * 2.5);
        s += "<path d=\"" + d + " Z" + buffer;
    }
    return s + "</svg>\n";
}

std::filesystem::path scratch() {
    const auto dir =
        std::filesystem::temp_directory_path() / ("tessary-bench-formats-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

void takeInRepeatedly(benchmark::State& state, const std::string& picture) {
    const auto dir = scratch();
    Headless around((dir / "preview.bmp").string());
    intake::ImageState image;
    for (auto _ : state) {
        if (intake::takeIn(image, around, picture) != intake::IntakeResult::Prepared) {
            state.SkipWithError("refused");
            break;
        }
    }
    std::filesystem::remove_all(dir);
}

void BM_SvgLogo2000Paths(benchmark::State& state) {
    const auto dir = scratch();
    const std::string path = (dir / "logo.svg").string();
    std::ofstream(path) << svgLogo(2000);
    takeInRepeatedly(state, path);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SvgLogo2000Paths)->Unit(benchmark::kMillisecond);

void BM_Photo12(benchmark::State& state, const char* name) {
    const char* folder = std::getenv("TESSARY_BENCH_FORMATS");
    if (!folder) {
        state.SkipWithError("TESSARY_BENCH_FORMATS not set");
        return;
    }
    takeInRepeatedly(state, (std::filesystem::path(folder) / name).string());
}
BENCHMARK_CAPTURE(BM_Photo12, heic, "photo12.heic")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Photo12, heic_grid, "photo12_grid.heic")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Photo12, webp, "photo12.webp")->Unit(benchmark::kMillisecond);

}  // namespace
