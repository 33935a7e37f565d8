// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A running job protected from changes the operator may not mean: while the machine carves the image it
// was sent, a change of the preview and the window's close first ask.
#include "app/console.h"

namespace tessary::engrave {

inline constexpr std::string_view kChangePreviewTitle = "The machine is carving";
inline constexpr std::string_view kChangePreviewText =
    "The machine is carving the image it was sent. Change the preview anyway?\n\n"
    "The machine goes on carving the sent image; the progress and its marks stay with that image.";
inline constexpr std::string_view kCloseDuringJobText =
    "The machine is carving. Close Tessary anyway?\n\n"
    "Closed, Tessary no longer follows the job: the machine goes on unattended unless it is paused.";
inline constexpr std::string_view kEarlierImageText = "The machine is carving an image sent earlier";

// Outside a job at once; during one when the operator says so (the job's marks then stay off the new
// preview).
bool mayChangePreview(Console& console);
// Start was sent: from now on closing the window during the job asks (pause and close, close, or cancel).
void guardJob(Console& console);
// The marks of the reports belong on the canvas: no preview change since the image was sent.
bool marksOnPreview(Console& console);
// A new image went to the machine: its marks belong to the preview again.
void previewIsSentImage(Console& console);
// A report with no job of this session running: said once in the bar.
void noteEarlierJob(Console& console);

}  // namespace tessary::engrave
