// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding of the large benchmark pictures (make them with bench/make_pictures.sh and point
// TESSARY_BENCH_PICTURES at the folder). Rows go to a sink that keeps nothing, as the streaming intake does.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "image/decode/decode.h"

namespace {

using tessary::image::DecodeInfo;
using tessary::image::DecodeOptions;

class DiscardingSink : public tessary::image::RowSink {
  public:
    bool begin(int width, int) override {
        width_ = width;
        return true;
    }
    void row(int, const std::uint8_t* rgb) override { benchmark::DoNotOptimize(rgb[width_ * 3 - 1]); }

  private:
    int width_ = 0;
};

std::string picture(benchmark::State& state, const char* name) {
    const char* dir = std::getenv("TESSARY_BENCH_PICTURES");
    const std::filesystem::path path = std::filesystem::path(dir ? dir : "") / name;
    if (!dir || !std::filesystem::exists(path)) {
        state.SkipWithError("set TESSARY_BENCH_PICTURES to the folder made by make_pictures.sh");
        return {};
    }
    return path.string();
}

// The preview's 490 x 490 field: the picture fitted inside it, aspect kept.
DecodeOptions fittedInto490() {
    DecodeOptions options;
    options.drawnSize = [](int w, int h) {
        return w >= h ? std::pair{490, static_cast<int>(490.0 * h / w)}
                      : std::pair{static_cast<int>(490.0 * w / h), 490};
    };
    return options;
}

void decode(benchmark::State& state, const char* name, const DecodeOptions& options) {
    const std::string path = picture(state, name);
    if (path.empty()) return;
    for (auto _ : state) {
        DiscardingSink sink;
        DecodeInfo info;
        if (tessary::image::decodePicture(path, sink, options, &info) != tessary::image::kConvertOk) {
            state.SkipWithError("decoding failed");
            return;
        }
    }
}

void BM_Jpeg24mpFull(benchmark::State& state) { decode(state, "photo_24mp_6000x4000.jpg", {}); }
void BM_Jpeg24mpScaledTo490(benchmark::State& state) {
    decode(state, "photo_24mp_6000x4000.jpg", fittedInto490());
}
void BM_Png24mp(benchmark::State& state) { decode(state, "photo_24mp_6000x4000.png", {}); }
void BM_Tiff24mp(benchmark::State& state) { decode(state, "photo_24mp_6000x4000.tif", {}); }

BENCHMARK(BM_Jpeg24mpFull)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Jpeg24mpScaledTo490)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Png24mp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tiff24mp)->Unit(benchmark::kMillisecond);

}  // namespace
