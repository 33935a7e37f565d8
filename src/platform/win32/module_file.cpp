// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/module_file.h"

#include <windows.h>

#include "platform/paths.h"
#include "platform/win32/wide.h"

namespace tessary::platform::module_file {
namespace {

std::string systemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = n > 0 ? win32::textFromWide(std::wstring_view(text, n)) : std::string();
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : message;
}

}  // namespace

const char* suffix() { return ".dll"; }

std::optional<std::filesystem::path> programFolder() { return pathFromText(programDirectory()); }

void* open(const std::filesystem::path& file, std::string& error) {
    // The module's own DLLs are looked for beside it first, then where the program's are.
    const std::wstring path = win32::filePath(textFromPath(file));
    if (HMODULE handle = LoadLibraryExW(path.c_str(), nullptr,
                                        LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS))
        return handle;
    error = textFromPath(file) + ": " + systemMessage(GetLastError());
    return nullptr;
}

void* symbol(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

}  // namespace tessary::platform::module_file
