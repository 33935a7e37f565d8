// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/module_loader.h"

#include <windows.h>

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>

#include "platform/paths.h"
#include "platform/win32/wide.h"

namespace tessary::platform {
namespace {

namespace fs = std::filesystem;

struct Opened {
    HMODULE handle = nullptr;
    std::string error;
};

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

Opened open(std::string_view name) {
    const std::string file = std::string(name) + ".dll";
    const fs::path folder = pathFromText(programDirectory());
    const fs::path places[] = {folder / file, (folder / TESSARY_MODULE_SUBDIR / file).lexically_normal()};
    for (const fs::path& place : places) {
        std::error_code error;
        if (!fs::exists(place, error)) continue;
        // The module's own DLLs are looked for beside it first, then where the program's are.
        const std::wstring path = win32::filePath(textFromPath(place));
        if (HMODULE handle = LoadLibraryExW(
                path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS))
            return {handle, {}};
        return {nullptr, textFromPath(place) + ": " + systemMessage(GetLastError())};
    }
    return {nullptr, file + " is neither in " + textFromPath(places[0].parent_path()) + " nor in " +
                         textFromPath(places[1].parent_path())};
}

}  // namespace

void* moduleSymbol(std::string_view name, const char* symbol, std::string& error) {
    static std::mutex mutex;
    static std::map<std::string, Opened, std::less<>> modules;
    const std::lock_guard lock(mutex);
    auto it = modules.find(name);
    if (it == modules.end()) it = modules.emplace(std::string(name), open(name)).first;
    if (!it->second.handle) {
        error = it->second.error;
        return nullptr;
    }
    void* address = reinterpret_cast<void*>(GetProcAddress(it->second.handle, symbol));
    if (!address) error = std::string(name) + ".dll has no " + symbol;
    return address;
}

}  // namespace tessary::platform
