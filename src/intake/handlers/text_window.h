// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Text window: text typed to be engraved, shown on the field as it is typed, remembered in the settings.
#include "app/console.h"

namespace tessary {

namespace intake {
// The preview's context menu: the window opens (modal), filled with the installed fonts and what was typed
// last.
void onOpenTextWindow(Console& console, const EventArgs& args);
void onFillTextWindow(Console& console, const EventArgs& args);
// Anything typed or chosen: the preview and the line under it follow.
void onTextWindowChanged(Console& console, const EventArgs& args);
// OK: the text is taken in, or the window stays open and says why it cannot be.
void onTakeInTypedText(Console& console, const EventArgs& args);
// Cancel and Escape: closed, nothing taken in.
void onCloseTextWindow(Console& console, const EventArgs& args);
// The window goes, however it is closed: what is in it is remembered for the next opening.
void onKeepTypedText(Console& console, const EventArgs& args);

// The settings keys.
inline constexpr std::string_view kTextKey = "text/text";
inline constexpr std::string_view kFontKey = "text/font";
inline constexpr std::string_view kSizeKey = "text/size";
inline constexpr std::string_view kFillWidthKey = "text/fillWidth";
inline constexpr std::string_view kStyleKey = "text/style";
inline constexpr std::string_view kAlignmentKey = "text/alignment";
inline constexpr std::string_view kBadSize = "The size is a whole number of dots from 1 to 490.";
}  // namespace intake

// "openTextWindow", "fillTextWindow", "textWindowChanged", "takeInTypedText", "closeTextWindow",
// "keepTypedText".
void registerTextWindowHandlers(HandlerRegistry& registry);

}  // namespace tessary
