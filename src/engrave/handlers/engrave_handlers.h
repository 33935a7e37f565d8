// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engraving handlers of the main window and the Setting window: the machine's commands, the image
// upload and the position reports.
#include <string_view>

#include "app/console.h"

namespace tessary {

namespace engrave {

// Clicks of the job and jog buttons; each sends its message, logs its line and keeps its pause.
void onStart(Console& console, const EventArgs& args);
void onPause(Console& console, const EventArgs& args);
void onRestart(Console& console, const EventArgs& args);
void onRecarve(Console& console, const EventArgs& args);
void onFrameCarvingArea(Console& console, const EventArgs& args);
void onFastBackward(Console& console, const EventArgs& args);
void onFastForward(Console& console, const EventArgs& args);
void onToMiddle(Console& console, const EventArgs& args);
void onToLowerLeft(Console& console, const EventArgs& args);
void onJogUp(Console& console, const EventArgs& args);
void onJogDown(Console& console, const EventArgs& args);
void onJogLeft(Console& console, const EventArgs& args);
void onJogRight(Console& console, const EventArgs& args);
// Key down on the main window or a jog button: an arrow key acts as its jog button's click.
void onArrowKey(Console& console, const EventArgs& args);

// Mouse moved over the burning-time slider: its label shows the position. Left button released over it: the
// position is sent.
void onBurningTimeShown(Console& console, const EventArgs& args);
void onBurningTimeSent(Console& console, const EventArgs& args);
// Save in the Setting window: FA and the step pulse typed there.
void onSaveStepPulse(Console& console, const EventArgs& args);

// Send Image To Machine.
void onUploadImage(Console& console, const EventArgs& args);

// DataArrived of the main window's port: one received byte of the machine's position reports.
void onPositionReport(Console& console, const EventArgs& args);
// The link to the machine is gone (lost or broken off): a running job's bar stops claiming a time left.
void onMachineGone(Console& console);
// The link is open again (Connect, or the lost machine back): the bar shows the job as it stands.
void onMachineBack(Console& console, const EventArgs& args);

// A pass of the job finished: Recarve for the next pass, or the piece is done (the notice, and a stop for
// the next piece when copies remain).
void afterPass(Console& console);
// The Job window (Ctrl+J): passes, copies, the notice.
void onOpenJobWindow(Console& console, const EventArgs& args);
void onFillJobWindow(Console& console, const EventArgs& args);
void onPassesKey(Console& console, const EventArgs& args);
void onCopiesKey(Console& console, const EventArgs& args);
void onKeepJobCounts(Console& console, const EventArgs& args);
void onCloseJobWindow(Console& console, const EventArgs& args);

// The test card window (Ctrl+Shift+B, the burning time's context menu) and its run, one cell at a time.
void onOpenTestCard(Console& console, const EventArgs& args);
void onFillTestCard(Console& console, const EventArgs& args);
void onRunTestCard(Console& console, const EventArgs& args);
void onStopTestCard(Console& console, const EventArgs& args);
void onCloseTestCard(Console& console, const EventArgs& args);
// The cell in progress finished (true: the finished pass was a test card's cell, and nothing else follows
// it).
bool testCardCellFinished(Console& console);
// The machine is gone, or Restart ended its job: a running card stops and says which cells were burnt.
void testCardInterrupted(Console& console, std::string_view why);

// The upload's own texts beyond the protocol's log lines.
inline constexpr std::string_view kNoPictureText =
    "Please drag and drop pictures to a specified location before you start carving";
inline constexpr std::string_view kNoPictureTitle = "ERROR";
inline constexpr std::string_view kLogSendingFailed = "Sending failed !\r\n\r\n";
inline constexpr std::string_view kNotSentText =
    "The image was not sent to the machine. Check the connection and send the image again.";
inline constexpr std::string_view kNotSentTitle = "ERROR";
// Logged in place of a command's own line when its bytes could not be written; nothing else of it happens.
inline constexpr std::string_view kLogNotSent = "Command not sent: the machine is not connected\r\n\r\n";
inline constexpr std::string_view kStepPulseSavedText = "Saved! do not need save every time";
inline constexpr std::string_view kStepPulseSavedTitle = "Info";

}  // namespace engrave

// "start", "pause", "restart", "recarve", "frameCarvingArea", "fastBackward", "fastForward", "toMiddle",
// "toLowerLeft", "jogUp", "jogDown", "jogLeft", "jogRight", "arrowKeys", "showBurningTime",
// "sendBurningTime", "saveStepPulse", "uploadImage", "positionReport", "openJobWindow", "fillJobWindow",
// "jobPassesKey", "jobCopiesKey", "keepJobCounts", "closeJobWindow", "openTestCard", "fillTestCard",
// "runTestCard", "stopTestCard", "closeTestCard".
void registerEngraveHandlers(HandlerRegistry& registry);

}  // namespace tessary
