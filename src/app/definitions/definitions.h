// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The console's windows as data. Each definition is built once and lives for the whole program.
#include <string_view>

#include "app/model/window_def.h"

namespace tessary {

const WindowDef& mainWindowDefinition();
const WindowDef& settingWindowDefinition();
const WindowDef& textWindowDefinition();

// The units of the Text window that its handlers read.
namespace text_window {
inline constexpr std::string_view kText = "textBox";
inline constexpr std::string_view kFont = "fontList";
inline constexpr std::string_view kSize = "sizeBox";
inline constexpr std::string_view kStyle = "styleList";          // Regular, Bold, Italic, Bold italic
inline constexpr std::string_view kAlignment = "alignmentList";  // Left, Centre, Right
inline constexpr std::string_view kFillWidth = "fillWidthButton";
inline constexpr std::string_view kStatus = "statusLabel";  // what the text needs in the field
inline constexpr std::string_view kPreview = "previewBox";
inline constexpr std::string_view kOk = "okButton";
inline constexpr std::string_view kCancel = "cancelButton";
}  // namespace text_window
// Not modal: the conversion and the adjustments of the prepared picture, applied as they change.
const WindowDef& pictureOptionsWindowDefinition();

}  // namespace tessary
