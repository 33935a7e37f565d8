// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture intake and the view operations as the main window's handlers.
#include "app/console.h"
#include "image/conversion.h"

namespace tessary {

namespace intake {
// Files dropped on the drop target: the dropped text is the picture's path (several paths fail).
void onFilesDropped(Console& console, const EventArgs& args);
void onRotate(Console& console, const EventArgs& args);
void onZoomOut(Console& console, const EventArgs& args);
void onZoomIn(Console& console, const EventArgs& args);
void onReload(Console& console, const EventArgs& args);
// A file chosen in the file chooser (Ctrl+O, "Open picture…") is taken in as if it had been dropped.
inline constexpr std::string_view kOpenPictureTitle = "Open picture";
void onOpenPicture(Console& console, const EventArgs& args);
// A photo taken in with the plain threshold: the bar over the preview offers a dithering conversion.
inline constexpr std::string_view kDitheringHint =
    "This looks like a photo: the plain threshold makes it a dark silhouette. Dithering keeps its shades.";
inline constexpr std::string_view kDitheringAction = "Use dithering";

// The main window is about to be destroyed: the preview file goes.
void onMainWindowClosing(Console& console, const EventArgs& args);

// The file chooser's filters for pictures (every extension the intake reads, and all files).
std::string pictureFilters(bool withJobs = false);

// Options the user chose are kept for the next run; when they cannot be, the log says so once a run.
void rememberOrSay(Console& console, bool remembered);

// The conversion options the user chose, read from the settings once per run (before the first intake).
void loadPictureOptions(Console& console);
// The conversion set to `mode` (the other options kept) as if chosen in the Picture options window.
void chooseConversion(Console& console, image::Conversion mode);
// Context menu of the preview and Ctrl+Shift+P: opens the Picture options window (or brings it forward).
void onOpenPictureOptions(Console& console, const EventArgs& args);
// The window's created event: its controls show the current options.
void onPictureOptionsShown(Console& console, const EventArgs& args);
// The list or a switch of the window changed: the options are remembered, the picture converted again and
// the change logged.
void onPictureOptionChanged(Console& console, const EventArgs& args);
// A slider moved: as a change, logged once the slider is let go of, or a moment after the last key.
void onPictureOptionSliding(Console& console, const EventArgs& args);
void onPictureOptionPressed(Console& console, const EventArgs& args);
void onPictureOptionReleased(Console& console, const EventArgs& args);
// The window goes: a change not yet logged is logged.
void onPictureOptionsClosing(Console& console, const EventArgs& args);
void onPictureOptionsDefaults(Console& console, const EventArgs& args);
// Escape in the window.
void onClosePictureOptions(Console& console, const EventArgs& args);
}  // namespace intake

// "takeInPicture", "rotate", "zoomOut", "zoomIn", "reload", "deletePreviewFile", "openPictureOptions",
// "showPictureOptions", "pictureOptionChanged", "pictureOptionSliding", "pictureOptionPressed",
// "pictureOptionReleased", "pictureOptionsDefaults", "pictureOptionsClosing", "closePictureOptions",
// "openPicture", "useDithering", "openTextWindow", "fillTextWindow", "takeInTypedText", "closeTextWindow".
void registerIntakeHandlers(HandlerRegistry& registry);
// "openLayoutWindow", "showLayoutWindow", "layoutItemChosen", "layoutNumbersChanged", "layoutRemove",
// "layoutAddPicture", "layoutAddText", "layoutAddCode", "closeLayoutWindow".
void registerLayoutWindowHandlers(HandlerRegistry& registry);

}  // namespace tessary
