// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures drawn rather than decoded (SVG documents, typed text), through the module tessary-render, which
// is opened the first time one is needed. Without the module they are refused, with a line on standard error.
#include <optional>
#include <string>
#include <vector>

#include "image/decode/decode.h"
#include "image/render/text_picture.h"

namespace tessary::intake {

// The SVG step after the decoder chain (an image::Decoder): the document is recognised here and drawn by
// the module.
int decodeSvg(const image::decode::Input& in, image::RowSink& sink, const image::DecodeOptions& options,
              image::DecodeInfo* info);

// Empty without the module.
std::vector<std::string> installedFontFamilies();
std::string defaultFontFamily();
// Whether the text has anything to draw; true without the module, which cannot tell (drawText refuses it).
bool hasText(const std::string& utf8);
// The text as render::renderText draws it; nullopt without the module.
std::optional<image::Raster> drawText(const std::string& utf8, const render::TextStyle& style);

}  // namespace tessary::intake
