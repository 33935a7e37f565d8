// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The shell's handlers: start-up, the Setting window and the version message.
#include <string_view>

#include "app/console.h"

namespace tessary {

void registerShellHandlers(HandlerRegistry& registry);

namespace shell {

inline constexpr std::string_view kWelcomeLines[] = {
    "        Welcome(^_^)\r\n\r\n",
    "Drag the picture to this window to start your engraving\r\n\r\n",
    "Tips:Optimal size of image is 500*500\r\n\r\n",
};
inline constexpr std::string_view kVersionTitle = "Version 2.0.1";
inline constexpr std::string_view kVersionText =
    "Any improvements or suggestions email to tessary-maintainers@example.org ^_^";
// The start-up handler's last step calls the handler registered under this id, when there is one.
inline constexpr std::string_view kAutomaticConnection = "automaticConnection";

void onStartup(Console& console, const EventArgs& args);
void onOpenSetting(Console& console, const EventArgs& args);
void onShowVersion(Console& console, const EventArgs& args);

}  // namespace shell
}  // namespace tessary
