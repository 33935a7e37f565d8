// SPDX-License-Identifier: GPL-3.0-or-later
// The PNG decoder's fast path against libpng's own row reading on arbitrary bytes: the same outcome and,
// when both succeed, the same pixels. The fast path may refuse a stream whose rows were all delivered
// but whose end is damaged, which libpng lets pass.
#include <stdio.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/decode/decoders.h"
#include "support/memory_stream.h"

namespace {

using namespace tessary::image;

// Keeps the rows of pictures up to a modest size; larger ones are declined by both readers alike.
class KeepingSink : public RowSink {
  public:
    bool begin(int width, int height) override {
        if (begun || width <= 0 || height <= 0) __builtin_trap();
        begun = true;
        if (static_cast<std::uint64_t>(width) * height > 4'000'000) return false;
        width_ = width;
        pixels.assign(static_cast<std::size_t>(width) * height * 3, 0);
        seen.assign(static_cast<std::size_t>(height), false);
        return true;
    }
    void row(int y, const std::uint8_t* rgb) override {
        if (!begun || y < 0 || y >= static_cast<int>(seen.size()) || seen[y]) __builtin_trap();
        seen[y] = true;
        std::copy(rgb, rgb + width_ * 3, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width_ * 3);
    }
    bool allRows() const {
        for (bool s : seen)
            if (!s) return false;
        return begun && !seen.empty();
    }
    bool begun = false;
    std::vector<std::uint8_t> pixels;
    std::vector<bool> seen;

  private:
    int width_ = 0;
};

using Decoder = int (*)(const decode::Input&, RowSink&, const DecodeOptions&, DecodeInfo*);

struct StreamCloser {
    void operator()(FILE* f) const { fclose(f); }
};

int run(const std::uint8_t* data, std::size_t size, Decoder decoder, KeepingSink& sink) {
    std::unique_ptr<FILE, StreamCloser> stream(tessary::testing::openMemoryStream(data, size));
    if (!stream) return -100;
    DecodeInfo info;
    return decoder(decode::Input{stream.get(), size}, sink, DecodeOptions{}, &info);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    KeepingSink fast, reference;
    const int a = run(data, size, decode::decodePng, fast);
    const int b = run(data, size, decode::decodePngThroughLibpng, reference);
    if (a == -100 || b == -100) return 0;
    if (a == kConvertOk && !fast.allRows()) __builtin_trap();
    if (a == b) {
        if (a == kConvertOk && fast.pixels != reference.pixels) __builtin_trap();
        return 0;
    }
    const bool damagedEndOnly = a == kConvertDecodeFailed && b == kConvertOk && fast.allRows();
    if (!damagedEndOnly) __builtin_trap();
    return 0;
}
