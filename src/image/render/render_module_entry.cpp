// SPDX-License-Identifier: GPL-3.0-or-later
// The entry point of the module tessary-render.
#include "image/render/render_module.h"
#include "image/render/svg_decoder.h"

extern "C" const tessary::render::RenderModule* tessary_render_module() {
    using namespace tessary::render;
    static constexpr RenderModule kModule{
        kRenderModuleVersion, decodeSvg,   installedFontFamilies, defaultFontFamily, hasText,
        textTooLong,          measureText, undrawableCharacters,  textRefusal,       renderText};
    return &kModule;
}
