// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The layout description tessary-prepare reads: lines of "key = value" in sections [picture], [text] and
// [qr], one section an item, after optional layout-wide lines (mirror = yes). '#' starts a comment line.
// Every key is known: an unknown one is refused rather than ignored, since it could change the engraving.
#include <string>
#include <string_view>

#include "layout/layout.h"

namespace tessary::layout {

inline constexpr std::size_t kMaxDescriptionBytes = 1 << 20;

// The layout the text describes; picture files named relative to `folder` (empty: as written). Empty on
// success, else why, with the line ("line 4: ...").
std::string parseLayout(std::string_view text, const std::string& folder, Layout& out);

}  // namespace tessary::layout
