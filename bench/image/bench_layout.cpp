// SPDX-License-Identifier: GPL-3.0-or-later
// The layout redrawn after an item moved: 20 items (photos dithered, text blocks, QR codes), their pieces
// decoded and rendered once, every item converted on its own and combined. The goal: within 100 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <span>

#include "image/canvas.h"
#include "image/files.h"
#include "layout/layout.h"

namespace {

using namespace tessary;

// A 4:3 photo of 1960 x 1468 with fine texture, written as a BMP once.
std::string photoFile() {
    static const std::string path = [] {
        image::Raster r(1960, 1468);
        std::mt19937 gen(1);
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) {
                std::uint8_t* p = r.at(x, y);
                const int base = (x + y) * 255 / 3428;
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<std::uint8_t>(
                        std::clamp(base + static_cast<int>(gen() % 41) - 20, 0, 255));
            }
        const auto file = (std::filesystem::temp_directory_path() / "tessary-bench-layout.bmp").string();
        const image::Bytes bmp = image::takeSnapshot(r, r.width, r.height, image::Resample::Halftone);
        image::writeFile(file, {std::span<const std::uint8_t>(bmp)});
        return file;
    }();
    return path;
}

layout::Item placed(layout::ItemKind kind, int i) {
    layout::Item item;
    item.kind = kind;
    item.placed = true;
    item.x = (i * 97) % 400 - 20;
    item.y = (i * 61) % 420 - 10;
    item.quarterTurns = i % 4;
    return item;
}

// `large`: every item a photo across the whole engraving, dithered (the worst case); otherwise 8 photos, 6
// text blocks and 6 codes of the sizes a tag or card has.
layout::Layout twentyItems(bool large) {
    layout::Layout l;
    for (int i = 0; i < 20; ++i) {
        const int kind = large ? 0 : i % 5 < 2 ? 0 : i % 5 < 4 ? 1 : 2;
        layout::Item item = placed(static_cast<layout::ItemKind>(kind), i);
        if (kind == 0) {
            item.file = photoFile();
            item.width = large ? 512 : 120 + 20 * (i % 6);
            item.conversion.mode = i % 2 ? image::Conversion::FloydSteinberg : image::Conversion::Atkinson;
            if (large) item.x = item.y = 0;
            if (i % 3 == 0) item.crop = {200, 100, 900, 700};
        } else if (kind == 1) {
            item.text.text = "Rex " + std::to_string(i) + "\nTel 0123 456 789";
            item.text.style.size = 20 + 4 * (i % 5);
        } else {
            item.qr.text = "https://example.org/tag/" + std::to_string(i);
        }
        l.items.push_back(item);
    }
    l.mirror = true;
    return l;
}

// Arguments: the large layout; every item converted anew (as after a change of all their options) rather
// than only combined (after a move).
void RedrawTwentyItems(benchmark::State& state) {
    layout::Layout l = twentyItems(state.range(0) != 0);
    layout::Pieces pieces;
    if (!pieces.prepare(l).empty()) state.SkipWithError("an item was refused");
    int step = 0;
    for (auto _ : state) {
        l.items[5].x += (++step % 2) ? 1 : -1;  // the item dragged
        if (state.range(1)) pieces.forgetEngravings();
        const layout::Composition made = layout::compose(l, pieces);
        benchmark::DoNotOptimize(made.preview.topRow(0));
    }
    state.SetLabel(
        std::string(state.range(0) ? "20 photos of 512 x 512 dots" : "8 photos, 6 texts, 6 codes") +
        (state.range(1) ? ", all converted anew" : ", one moved"));
}
BENCHMARK(RedrawTwentyItems)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

// The same with every piece decoded and rendered again (the layout opened).
void PrepareAndComposeTwentyItems(benchmark::State& state) {
    const layout::Layout l = twentyItems(false);
    for (auto _ : state) {
        const layout::Composition made = layout::compose(l);
        if (made.preview.empty()) state.SkipWithError("an item was refused");
        benchmark::DoNotOptimize(made.preview.topRow(0));
    }
}
BENCHMARK(PrepareAndComposeTwentyItems)->Unit(benchmark::kMillisecond);

}  // namespace
