// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/display.h"

#include <windows.h>

namespace tessary::platform {
namespace {

// A service's window station has no desktop anyone sees.
bool desktopVisible() {
    USEROBJECTFLAGS flags{};
    const HWINSTA station = GetProcessWindowStation();
    if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr))
        return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

bool windowSystemReachable(std::string_view name, const DisplayEnvironment&) {
    if (name.empty() || name == "windows" || name == "direct2d") return desktopVisible();
    return true;
}

}  // namespace tessary::platform
