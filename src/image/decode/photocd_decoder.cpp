// SPDX-License-Identifier: GPL-3.0-or-later
// Photo CD image packs: the base image, 768 x 512, stored as PhotoYCC 4:2:0.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "image/decode/decoders.h"

namespace tessary::image::decode {
namespace {

constexpr std::uint64_t kMinPackBytes = 1'048'576;  // "larger than 1,048,575 bytes"
constexpr std::uint64_t kSignatureOffset = 2048;
constexpr char kSignature[] = "PCD_IPI";
constexpr std::uint64_t kBaseOffset = 0x30000;
constexpr int kBaseWidth = 768;
constexpr int kBaseHeight = 512;
// Each pair of rows: two luma rows of 768, then one row of 384 for each chroma channel.
constexpr std::size_t kRowPairBytes = kBaseWidth * 2 + kBaseWidth / 2 * 2;

std::uint8_t clampByte(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

void yccToRgb(std::uint8_t y, std::uint8_t c1, std::uint8_t c2, std::uint8_t* rgb) {
    const double l = 1.3584 * y;
    const double cb = 2.2179 * (c1 - 156);
    const double cr = 1.8215 * (c2 - 137);
    rgb[0] = clampByte(l + cr);
    rgb[1] = clampByte(l - 0.194 * cb - 0.509 * cr);
    rgb[2] = clampByte(l + cb);
}

}  // namespace

int decodePhotoCd(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    // The size alone would turn any large file into a picture of noise: the pack's signature and the whole
    // base image must be there too.
    if (in.size < kMinPackBytes) return kConvertRefused;
    char signature[sizeof kSignature - 1];
    if (!readAt(in, kSignatureOffset, signature, sizeof signature) ||
        std::memcmp(signature, kSignature, sizeof signature) != 0)
        return kConvertRefused;
    if (in.size < kBaseOffset + kRowPairBytes * (kBaseHeight / 2)) return kConvertRefused;

    if (!startRows(sink, info, PictureFormat::PhotoCd, kBaseWidth, kBaseHeight, kBaseWidth, kBaseHeight))
        return kConvertDecodeFailed;
    if (fseeko(in.file, kBaseOffset, SEEK_SET) != 0) return kConvertDecodeFailed;
    std::vector<std::uint8_t> pair(kRowPairBytes);
    std::vector<std::uint8_t> rgb(kBaseWidth * 3);
    for (int y = 0; y < kBaseHeight; y += 2) {
        if (std::fread(pair.data(), 1, pair.size(), in.file) != pair.size()) return kConvertDecodeFailed;
        const std::uint8_t* c1 = pair.data() + kBaseWidth * 2;
        const std::uint8_t* c2 = c1 + kBaseWidth / 2;
        for (int row = 0; row < 2; ++row) {
            const std::uint8_t* luma = pair.data() + row * kBaseWidth;
            for (int x = 0; x < kBaseWidth; ++x) yccToRgb(luma[x], c1[x / 2], c2[x / 2], rgb.data() + x * 3);
            sink.row(y + row, rgb.data());
        }
    }
    return kConvertOk;
}

}  // namespace tessary::image::decode
