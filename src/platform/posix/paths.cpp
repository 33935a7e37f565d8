// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/paths.h"

#include <limits.h>
#include <unistd.h>

namespace tessary::platform {

std::string programDirectory() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return ".";
    std::string path(buffer, static_cast<std::size_t>(n));
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string localPathOfFileUrl(std::string decodedPath) { return decodedPath; }

}  // namespace tessary::platform
