// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/drawn_pictures.h"

#include "image/module_table.h"
#include "image/render/render_module.h"
#include "image/render/svg_sniff.h"

namespace tessary::intake {
namespace {

// `report`: a missing module is said on standard error (where a picture is refused for want of it).
const render::RenderModule* module(bool report) {
    static image::ModuleTable table(render::kRenderModuleName, render::kRenderModuleEntry,
                                    render::kRenderModuleVersion, "SVG pictures and typed text");
    return static_cast<const render::RenderModule*>(table.get(report));
}

}  // namespace

int decodeSvg(const image::decode::Input& in, image::RowSink& sink, const image::DecodeOptions& options,
              image::DecodeInfo* info) {
    if (!render::looksLikeSvg(in)) return image::kConvertRefused;
    const render::RenderModule* drawn = module(true);
    return drawn ? drawn->decodeSvg(in, sink, options, info) : image::kConvertRefused;
}

std::vector<std::string> installedFontFamilies() {
    const render::RenderModule* drawn = module(false);
    return drawn ? drawn->installedFontFamilies() : std::vector<std::string>{};
}

std::string defaultFontFamily() {
    const render::RenderModule* drawn = module(false);
    return drawn ? drawn->defaultFontFamily() : std::string();
}

bool hasText(const std::string& utf8) {
    const render::RenderModule* drawn = module(false);
    return drawn ? drawn->hasText(utf8) : true;
}

std::optional<image::Raster> drawText(const std::string& utf8, const render::TextStyle& style) {
    const render::RenderModule* drawn = module(true);
    if (!drawn) return std::nullopt;
    return drawn->renderText(utf8, style);
}

}  // namespace tessary::intake
