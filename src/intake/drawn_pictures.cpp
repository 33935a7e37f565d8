// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/drawn_pictures.h"

#include "image/module_table.h"
#include "image/render/svg_sniff.h"

namespace tessary::intake {
namespace {

image::ModuleTable& module() {
    static image::ModuleTable table(render::kRenderModuleName, render::kRenderModuleEntry,
                                    render::kRenderModuleVersion, "SVG pictures and typed text");
    return table;
}

int refuseSvg(const image::decode::Input&, image::RowSink&, const image::DecodeOptions&, image::DecodeInfo*) {
    module().reportMissing();
    return image::kConvertRefused;
}

std::string refuseText(const std::string&, const render::TextStyle&) {
    module().reportMissing();
    return drawingMissing();
}

constexpr render::RenderModule kStandIns{
    render::kRenderModuleVersion,
    refuseSvg,
    [] { return std::vector<std::string>{}; },
    [] { return std::string(); },
    [](const std::string&) { return true; },
    [](const std::string&) { return false; },
    [](const std::string&, const render::TextStyle&) { return render::TextFit{}; },
    [](const std::string&, const render::TextStyle&, std::size_t) { return std::u32string(); },
    refuseText,
    [](const std::string&, const render::TextStyle&) { return image::Raster(); },
};

}  // namespace

const render::RenderModule& drawing() {
    const auto* table = static_cast<const render::RenderModule*>(module().get());
    return table ? *table : kStandIns;
}

std::string drawingMissing() {
    return module().get() ? std::string()
                          : "Typed text cannot be drawn without the module " +
                                std::string(render::kRenderModuleName) + ".";
}

int decodeSvg(const image::decode::Input& in, image::RowSink& sink, const image::DecodeOptions& options,
              image::DecodeInfo* info) {
    if (!render::looksLikeSvg(in)) return image::kConvertRefused;
    return drawing().decodeSvg(in, sink, options, info);
}

}  // namespace tessary::intake
