// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether the window system that Qt will use can be reached, asked before Qt is started: Qt ends the
// process with an abort when it cannot connect, and the operator deserves a plain line instead.
#include <string>
#include <vector>

#include "platform/display.h"

namespace tessary {

using platform::DisplayEnvironment;

DisplayEnvironment displayEnvironment(const std::vector<std::string>& args);

// False only when every platform that Qt might choose needs a display that does not answer; platforms
// without a display (offscreen, vnc, ...) count as reachable.
bool displayReachable(const DisplayEnvironment& env);

inline constexpr const char* kNoDisplayMessage =
    "tessary: no display: start it from a desktop session, over SSH with -X, or with xvfb-run";

}  // namespace tessary
