// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace tessary {
namespace {

bool x11Reachable(const std::string& display) {
    if (display.empty()) return false;
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool ok = connection && xcb_connection_has_error(connection) == 0;
    if (connection) xcb_disconnect(connection);
    return ok;
}

bool waylandReachable(const DisplayEnvironment& env) {
    const std::string name = env.waylandDisplay.empty() ? "wayland-0" : env.waylandDisplay;
    const std::string path = name.front() == '/'      ? name
                             : env.runtimeDir.empty() ? ""
                                                      : env.runtimeDir + "/" + name;
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

bool platformReachable(std::string_view name, const DisplayEnvironment& env) {
    if (name.starts_with("xcb")) return x11Reachable(env.x11Display);
    if (name.starts_with("wayland")) return waylandReachable(env);
    return true;
}

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
    if (env.platform.empty()) return x11Reachable(env.x11Display) || waylandReachable(env);
    // "wayland;xcb": Qt tries each in turn; "xcb:option=value": the name comes before the colon.
    std::string_view list = env.platform;
    while (!list.empty()) {
        const std::string_view entry = list.substr(0, list.find(';'));
        if (platformReachable(entry.substr(0, entry.find(':')), env)) return true;
        list.remove_prefix(std::min(list.size(), entry.size() + 1));
    }
    return false;
}

}  // namespace tessary
