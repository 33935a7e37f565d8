// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The log lines and captions of the upload and the burning time; the commands' own lines are in their
// message table.
#include <string>
#include <string_view>

namespace tessary::engrave {

// The upload's own log lines, around the erase burst and the image.
inline constexpr std::string_view kLogPleaseWait = "----Please wait----.\r\n\r\n";
inline constexpr std::string_view kLogErasingLastImage = "Erasing Last Image...\r\n\r\n";
inline constexpr std::string_view kLogSendingNewImage = "Sending New Image...\r\n\r\n";
inline constexpr std::string_view kLogSendingCompleted = "Sending completed !\r\n\r\n";

/// "Burning time:60", the slider label's caption.
std::string burningTimeCaption(int position);
/// "Burning time:60\r\n\r\n", logged after the byte (with the value that was sent).
std::string burningTimeLogLine(int position);

}  // namespace tessary::engrave
