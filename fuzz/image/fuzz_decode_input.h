// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs one decoder over bytes in memory (a stream over them) with a sink that traps on any breach of the
// row contract: a row outside the picture, a row twice, a row before begin, or success with rows missing.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/decode/decoders.h"
#include "support/memory_stream.h"

namespace tessary::image::fuzzing {

// Pictures larger than this are declined by the sink of the formats that can describe a large white canvas
// in a few bytes, so that the fuzzer spends its time in the decoders rather than in counting white rows.
inline constexpr std::uint64_t kQuickPixels = 262'144;

class ContractSink : public RowSink {
  public:
    explicit ContractSink(std::uint64_t maxPixels = UINT64_MAX) : maxPixels_(maxPixels) {}
    bool begin(int width, int height) override {
        if (begun_ || width <= 0 || height <= 0) __builtin_trap();
        // A picture within the decoders' limit but too large to check quickly is declined, as a sink may.
        if (std::uint64_t(width) * std::uint64_t(height) > maxPixels_) return false;
        begun_ = true;
        width_ = width;
        seen_.assign(static_cast<std::size_t>(height), false);
        return true;
    }
    void row(int y, const std::uint8_t* rgb) override {
        if (!begun_ || y < 0 || y >= static_cast<int>(seen_.size()) || seen_[y]) __builtin_trap();
        seen_[y] = true;
        // Reading the whole row lets the address sanitizer check the decoder's buffer.
        unsigned sum = 0;
        for (int i = 0; i < width_ * 3; ++i) sum += rgb[i];
        checksum_ += sum;
    }
    void finished(int result) const {
        if (result != kConvertOk) return;
        if (!begun_) __builtin_trap();
        for (bool s : seen_)
            if (!s) __builtin_trap();
    }

  private:
    std::uint64_t maxPixels_;
    bool begun_ = false;
    int width_ = 0;
    std::vector<bool> seen_;
    unsigned checksum_ = 0;
};

struct StreamCloser {
    void operator()(FILE* f) const { fclose(f); }
};

using Decoder = int (*)(const decode::Input&, RowSink&, const DecodeOptions&, DecodeInfo*);

inline void decodeBytes(const std::uint8_t* data, std::size_t size, Decoder decoder,
                        const DecodeOptions& options = {}, std::uint64_t maxPixels = UINT64_MAX) {
    if (size == 0) return;
    std::unique_ptr<FILE, StreamCloser> stream(tessary::testing::openMemoryStream(data, size));
    if (!stream) return;
    ContractSink sink(maxPixels);
    DecodeInfo info;
    sink.finished(decoder(decode::Input{stream.get(), size}, sink, options, &info));
}

}  // namespace tessary::image::fuzzing
