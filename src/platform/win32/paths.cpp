// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/paths.h"

#include <windows.h>

#include <cwctype>

#include "platform/win32/wide.h"

namespace tessary::platform {

std::string programDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return ".";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768) return ".";
        path.resize(path.size() * 2);
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return ".";
    return win32::textFromWide(path.substr(0, separator));
}

std::string localPathOfFileUrl(std::string decodedPath) {
    if (decodedPath.size() >= 3 && decodedPath[0] == '/' &&
        std::iswalpha(static_cast<unsigned char>(decodedPath[1])) && decodedPath[2] == ':')
        decodedPath.erase(0, 1);
    return decodedPath;
}

}  // namespace tessary::platform
