// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The opening test of SVG documents, without Qt: the program that meets one opens the module that draws it.
#include <cstddef>
#include <string_view>

#include "image/decode/decoders.h"

namespace tessary::render {

// The first bytes, past a byte-order mark and white space, open markup that names an svg element.
inline bool looksLikeSvg(const image::decode::Input& in) {
    char head[4096];
    const std::size_t n = in.size < sizeof head ? static_cast<std::size_t>(in.size) : sizeof head;
    if (n == 0 || !image::decode::readAt(in, 0, head, n)) return false;
    const std::string_view text(head, n);
    std::size_t i = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (i < n && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n')) ++i;
    return i < n && head[i] == '<' && text.find("<svg") != std::string_view::npos;
}

}  // namespace tessary::render
