// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/user_folders.h"

// The other Windows headers need windows.h first.
// clang-format off
#include <windows.h>
#include <knownfolders.h>
// clang-format on

#include <cstdlib>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/user_folders.h"
#include "platform/win32/wide.h"

namespace tessary::platform {
namespace {

std::string withoutTrailingSeparator(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

// Makes the folder if needed; accepts it only when it is a folder itself, not a link to one elsewhere.
bool ownFolder(const std::string& path) {
    const std::wstring folder = win32::filePath(path);
    if (folder.empty()) return false;
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && canCreateFilesIn(path);
}

std::string environmentFolder(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? win32::textFromWide(value) : std::string();
}

}  // namespace

std::string chooseRunDirectory(const std::string& programDir, const std::string& localAppData) {
    const std::string own = withoutTrailingSeparator(programDir);
    if (canCreateFilesIn(own)) return own;
    if (!localAppData.empty()) {
        const std::string dir = withoutTrailingSeparator(localAppData) + "\\Tessary";
        if (ownFolder(dir)) return dir;
    }
    return own;
}

std::string runDirectory() {
    return chooseRunDirectory(programDirectory(), win32::knownFolder(FOLDERID_LocalAppData));
}

std::string settingsFile() {
    std::string folder = environmentFolder(L"APPDATA");
    if (folder.empty()) folder = win32::knownFolder(FOLDERID_RoamingAppData);
    if (folder.empty()) return {};
    return withoutTrailingSeparator(folder) + "\\Tessary\\tessary.ini";
}

std::string picturesFolder() {
    std::string folder = win32::knownFolder(FOLDERID_Pictures);
    if (folder.empty()) folder = environmentFolder(L"USERPROFILE");
    return folder.empty() ? folder : withoutTrailingSeparator(folder);
}

bool isRegularFileOrAbsent(const std::string& path) {
    const std::wstring file = win32::filePath(path);
    if (file.empty()) return false;
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace tessary::platform
