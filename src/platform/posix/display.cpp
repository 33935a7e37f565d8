// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/display.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstring>

#include "platform/unique_fd.h"

namespace tessary::platform {
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
    const UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return fd && ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

}  // namespace

bool windowSystemReachable(std::string_view name, const DisplayEnvironment& env) {
    if (name.empty()) return x11Reachable(env.x11Display) || waylandReachable(env);
    if (name.starts_with("xcb")) return x11Reachable(env.x11Display);
    if (name.starts_with("wayland")) return waylandReachable(env);
    return true;
}

}  // namespace tessary::platform
