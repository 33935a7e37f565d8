// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows' side of the program's UTF-8 text: UTF-16 strings, full paths for the file APIs and handle
// ownership.
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace tessary::platform::win32 {

// Empty for text that is not UTF-8.
std::wstring wideFromText(std::string_view text);
std::string textFromWide(std::wstring_view text);

// The path in the form the file APIs take whatever its length: full, with the \\?\ prefix that lifts the
// 260-character limit. Empty for what is not a path to a file on a drive or share: an empty path, a device
// name (NUL, CON, COM1, LPT1, AUX, PRN, CONIN$, CONOUT$, in any folder and with any extension) and the device
// namespace (\\.\pipe\x, \\.\COM1, \\?\GLOBALROOT\...).
std::wstring filePath(std::string_view text);
// A path from filePath as the shell and older APIs take it: without the \\?\ prefix.
std::wstring plainPath(const std::wstring& path);
// The folder part of a path from filePath, without the separator.
std::wstring folderOf(const std::wstring& path);

// A folder of the user's (FOLDERID_...), as UTF-8; empty when Windows has none.
std::string knownFolder(const GUID& id);

class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    HANDLE release() { return std::exchange(h_, nullptr); }
    // False when closing failed.
    bool reset() { return h_ == nullptr || CloseHandle(std::exchange(h_, nullptr)); }

  private:
    HANDLE h_ = nullptr;
};

}  // namespace tessary::platform::win32
