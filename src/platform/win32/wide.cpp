// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/wide.h"

#include <shlobj.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cwctype>
#include <memory>

#include "platform/win32/system_procedure.h"

namespace tessary::platform::win32 {
namespace {

bool startsWith(std::wstring_view s, std::wstring_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool isDriveStart(std::wstring_view s) {
    return s.size() >= 3 && std::iswalpha(s[0]) && s[1] == L':' && s[2] == L'\\';
}

// The reserved names Windows turns into devices wherever they stand: "NUL", "nul.txt", "C:\x\COM1 .jpg".
bool isDeviceName(std::wstring_view component) {
    std::wstring base(component.substr(0, component.find_first_of(L".:")));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(), [](wchar_t c) { return std::towupper(c); });
    static constexpr std::array<std::wstring_view, 6> fixed = {L"CON", L"PRN",    L"AUX",
                                                               L"NUL", L"CONIN$", L"CONOUT$"};
    if (std::find(fixed.begin(), fixed.end(), base) != fixed.end()) return true;
    // COM1..COM9 and LPT1..LPT9, also with the superscript digits Windows counts as numbers.
    if (base.size() == 4 && (startsWith(base, L"COM") || startsWith(base, L"LPT"))) {
        const wchar_t d = base[3];
        return (d >= L'1' && d <= L'9') || d == L'\u00B9' || d == L'\u00B2' || d == L'\u00B3';
    }
    return false;
}

std::wstring fullPathOf(const std::wstring& path) {
    DWORD size = MAX_PATH;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::wstring full(size, L'\0');
        const DWORD n = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
        if (n == 0) return {};
        if (n < size) {
            full.resize(n);
            return full;
        }
        size = n + 1;
    }
    return {};
}

}  // namespace

std::wstring wideFromText(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, out.data(), n);
    return out;
}

std::string textFromWide(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring filePath(std::string_view text) {
    std::wstring path = wideFromText(text);
    if (path.empty()) return {};
    std::replace(path.begin(), path.end(), L'/', L'\\');
    std::wstring_view rest;
    if (startsWith(path, L"\\\\?\\") || startsWith(path, L"\\\\.\\")) {
        // Already past the name rules: only drive and share paths are files.
        rest = std::wstring_view(path).substr(4);
        if (isDriveStart(rest)) return L"\\\\?\\" + std::wstring(rest);
        if (startsWith(rest, L"UNC\\")) return L"\\\\?\\" + std::wstring(rest);
        return {};
    }
    const std::size_t lastSeparator = path.find_last_of(L'\\');
    if (isDeviceName(lastSeparator == std::wstring::npos ? std::wstring_view(path)
                                                         : std::wstring_view(path).substr(lastSeparator + 1)))
        return {};
    // A drive-relative "C:x" has no separator yet the colon makes the rest its name.
    if (path.size() >= 2 && path[1] == L':' && isDeviceName(std::wstring_view(path).substr(2))) return {};
    const std::wstring full = fullPathOf(path);
    if (isDriveStart(full)) return L"\\\\?\\" + full;
    if (startsWith(full, L"\\\\") && !startsWith(full, L"\\\\?\\") && !startsWith(full, L"\\\\.\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return {};
}

std::wstring plainPath(const std::wstring& path) {
    if (startsWith(path, L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
    if (startsWith(path, L"\\\\?\\")) return path.substr(4);
    return path;
}

std::wstring folderOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L'\\');
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

std::string knownFolder(const GUID& id) {
    const auto getPath =
        systemProcedure<decltype(SHGetKnownFolderPath)>(L"shell32.dll", "SHGetKnownFolderPath");
    const auto release = systemProcedure<decltype(CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
    if (!getPath || !release) return {};
    PWSTR folder = nullptr;
    std::string text;
    if (SUCCEEDED(getPath(id, KF_FLAG_DEFAULT, nullptr, &folder)) && folder) text = textFromWide(folder);
    release(folder);
    return text;
}

}  // namespace tessary::platform::win32
