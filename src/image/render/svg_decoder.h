// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SVG documents rendered at the size they are drawn at, on white. The document's own size is its width
// and height in CSS pixels (from the viewBox where they are missing); one with neither is refused. It is
// read only from its own bytes: links to files or URLs are dropped before rendering, and a document over
// 10 MB, with more than 100,000 elements or declaring entities is refused.
#include "image/decode/decoders.h"

namespace tessary::render {

inline constexpr std::uint64_t kMaxSvgBytes = 10'000'000;
inline constexpr int kMaxSvgElements = 100'000;

// A decoder for the chain (image::Decoder).
int decodeSvg(const image::decode::Input& in, image::RowSink& sink, const image::DecodeOptions& options,
              image::DecodeInfo* info);

}  // namespace tessary::render
