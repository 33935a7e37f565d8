// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures drawn rather than decoded (SVG documents, typed text), through the module tessary-render, which
// is opened the first time one is needed.
#include <string>

#include "image/decode/decode.h"
#include "image/render/render_module.h"

namespace tessary::intake {

// The module's functions; without the module, stand-ins that draw nothing: no fonts, and every text refused
// by textRefusal with drawingMissing()'s sentence (and a line on standard error).
const render::RenderModule& drawing();
// Empty when the module is there; otherwise the sentence that says typed text cannot be drawn.
std::string drawingMissing();

// The SVG step after the decoder chain (an image::Decoder): the document is recognised here and drawn by
// the module; without it, refused with a line on standard error.
int decodeSvg(const image::decode::Input& in, image::RowSink& sink, const image::DecodeOptions& options,
              image::DecodeInfo* info);

}  // namespace tessary::intake
