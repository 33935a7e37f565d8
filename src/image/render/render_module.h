// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SVG documents and typed text are drawn in the module tessary-render, which holds Qt's painting (Gui and
// Svg), so that a program opens those libraries only for such a picture. The functions are those of
// svg_decoder.h and text_picture.h.
#include <string>
#include <vector>

#include "image/decode/decoders.h"
#include "image/render/text_picture.h"

namespace tessary::render {

// What the module exports through its entry point; `version` first, raised whenever the table changes.
struct RenderModule {
    int version;
    image::Decoder decodeSvg;
    std::vector<std::string> (*installedFontFamilies)();
    std::string (*defaultFontFamily)();
    bool (*hasText)(const std::string& utf8);
    bool (*textTooLong)(const std::string& utf8);
    TextFit (*measureText)(const std::string& utf8, const TextStyle& style);
    std::u32string (*undrawableCharacters)(const std::string& utf8, const TextStyle& style,
                                           std::size_t limit);
    std::string (*textRefusal)(const std::string& utf8, const TextStyle& style);
    image::Raster (*renderText)(const std::string& utf8, const TextStyle& style);
};
inline constexpr int kRenderModuleVersion = 2;
inline constexpr const char* kRenderModuleName = "tessary-render";
inline constexpr const char* kRenderModuleEntry = "tessary_render_module";

}  // namespace tessary::render
