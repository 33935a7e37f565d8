// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/display_check.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace tessary {
namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

DisplayEnvironment displayEnvironment(const std::vector<std::string>& args) {
    DisplayEnvironment env{variable("QT_QPA_PLATFORM"), variable("DISPLAY"), variable("WAYLAND_DISPLAY"),
                           variable("XDG_RUNTIME_DIR")};
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "-platform" || args[i] == "--platform") env.platform = args[i + 1];
    }
    return env;
}

bool displayReachable(const DisplayEnvironment& env) {
    if (env.platform.empty()) return platform::windowSystemReachable({}, env);
    // "wayland;xcb": Qt tries each in turn; "xcb:option=value": the name comes before the colon.
    std::string_view list = env.platform;
    while (!list.empty()) {
        const std::string_view entry = list.substr(0, list.find(';'));
        if (platform::windowSystemReachable(entry.substr(0, entry.find(':')), env)) return true;
        list.remove_prefix(std::min(list.size(), entry.size() + 1));
    }
    return false;
}

}  // namespace tessary
