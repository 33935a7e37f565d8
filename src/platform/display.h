// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether a window system can be reached, asked before Qt starts.
#include <string>
#include <string_view>

namespace tessary::platform {

struct DisplayEnvironment {
    std::string platform;        // -platform argument, else QT_QPA_PLATFORM; empty: Qt's own choice
    std::string x11Display;      // DISPLAY
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string runtimeDir;      // XDG_RUNTIME_DIR
};

// Whether the window system of one Qt platform plugin (its name without options; empty: the one Qt takes by
// default) answers: an X server or Wayland compositor on POSIX systems, a visible desktop on Windows (not a
// service's). Plugins that need no display (offscreen, minimal, vnc, ...) count as reachable.
bool windowSystemReachable(std::string_view platformName, const DisplayEnvironment& env);

}  // namespace tessary::platform
