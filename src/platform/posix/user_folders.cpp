// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/user_folders.h"

namespace tessary::platform {
namespace {

// Makes the directory if needed; accepts it only when it is a real directory of this user.
bool privateDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
    return canCreateFilesIn(path);
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// Installed programs live in system directories; even root must not leave a preview file among them.
bool isSystemDirectory(const std::string& dir) {
    for (const char* prefix : {"/usr", "/bin", "/sbin", "/lib", "/opt"}) {
        const std::size_t n = std::char_traits<char>::length(prefix);
        if (dir.compare(0, n, prefix) == 0 && (dir.size() == n || dir[n] == '/')) return true;
    }
    return false;
}

std::string homeDirectory(const char* home) {
    std::string dir = home != nullptr ? home : "";
    if (dir.empty() || dir[0] != '/') {
        if (const passwd* pw = ::getpwuid(::geteuid()); pw != nullptr && pw->pw_dir != nullptr)
            dir = pw->pw_dir;
    }
    return dir;
}

}  // namespace

std::string chooseRunDirectory(const std::string& programDir, const char* xdgRuntimeDir, const char* home,
                               const char* tmpDir) {
    const std::string own = withoutTrailingSlash(programDir);
    if (!isSystemDirectory(own) && canCreateFilesIn(own)) return own;
    if (xdgRuntimeDir != nullptr && xdgRuntimeDir[0] == '/') {
        const std::string dir = withoutTrailingSlash(xdgRuntimeDir) + "/tessary";
        if (privateDirectory(dir)) return dir;
    }
    const std::string homeDir = homeDirectory(home);
    if (!homeDir.empty() && homeDir[0] == '/') {
        const std::string cache = withoutTrailingSlash(homeDir) + "/.cache";
        if (::mkdir(cache.c_str(), 0700) == 0 || errno == EEXIST) {
            const std::string dir = cache + "/tessary";
            if (privateDirectory(dir)) return dir;
        }
    }
    // An account without a usable home (a service or kiosk account) still gets a directory of its own.
    if (tmpDir != nullptr && tmpDir[0] == '/') {
        const std::string dir = withoutTrailingSlash(tmpDir) + "/tessary-" + std::to_string(::geteuid());
        if (privateDirectory(dir)) return dir;
    }
    return own;
}

std::string runDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    return chooseRunDirectory(programDirectory(), std::getenv("XDG_RUNTIME_DIR"), std::getenv("HOME"),
                              tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp");
}

std::string settingsFile() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string folder = config != nullptr && config[0] != '\0'
                                   ? std::string(config)
                                   : withoutTrailingSlash(homeDirectory(std::getenv("HOME"))) + "/.config";
    return folder + "/tessary/tessary.conf";
}

std::string picturesFolderFrom(std::string_view userDirs, const std::string& home) {
    constexpr std::string_view kKey = "XDG_PICTURES_DIR=\"";
    std::string found;
    while (!userDirs.empty()) {
        const std::size_t end = userDirs.find('\n');
        std::string_view line = userDirs.substr(0, end);
        userDirs = end == std::string_view::npos ? std::string_view() : userDirs.substr(end + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.substr(0, kKey.size()) != kKey) continue;
        line.remove_prefix(kKey.size());
        const std::size_t close = line.find('"');
        if (close == std::string_view::npos) continue;
        std::string_view value = line.substr(0, close);
        if (value.substr(0, 5) == "$HOME" && (value.size() == 5 || value[5] == '/')) {
            if (home.empty()) continue;
            found = withoutTrailingSlash(home + std::string(value.substr(5)));
        } else if (!value.empty() && value.front() == '/') {
            found = withoutTrailingSlash(std::string(value));
        } else {
            continue;
        }
    }
    return found == withoutTrailingSlash(home) ? std::string() : found;
}

std::string picturesFolder() {
    const std::string home = withoutTrailingSlash(homeDirectory(std::getenv("HOME")));
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string dirsFile =
        (config != nullptr && config[0] == '/' ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
    std::string text;
    struct stat st {};
    // Only a small regular file is read: a FIFO put there would block the window thread.
    if (::stat(dirsFile.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size < 65536) {
        std::ifstream in(dirsFile, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string pictures = picturesFolderFrom(text, home);
    struct stat dir {};
    if (!pictures.empty() && ::stat(pictures.c_str(), &dir) == 0 && S_ISDIR(dir.st_mode)) return pictures;
    return home.empty() || home[0] != '/' ? std::string() : home;
}

bool isRegularFileOrAbsent(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT;
    return S_ISREG(st.st_mode);
}

}  // namespace tessary::platform
