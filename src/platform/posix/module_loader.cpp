// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/module_loader.h"

#include <dlfcn.h>

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>

namespace tessary::platform {
namespace {

namespace fs = std::filesystem;

struct Opened {
    void* handle = nullptr;
    std::string error;
};

Opened open(std::string_view name) {
    const std::string file = std::string(name) + ".so";
    std::error_code error;
    const fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    if (error) return {nullptr, "the program's own folder is unknown, so " + file + " cannot be found"};
    const fs::path places[] = {folder / file, (folder / TESSARY_MODULE_SUBDIR / file).lexically_normal()};
    for (const fs::path& place : places) {
        if (!fs::exists(place, error)) continue;
        // RTLD_LOCAL: the libraries under a module stay out of the program's own symbol lookups.
        if (void* handle = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL)) return {handle, {}};
        const char* why = ::dlerror();
        return {nullptr, why ? why : place.string() + " cannot be opened"};
    }
    return {nullptr, file + " is neither in " + places[0].parent_path().string() + " nor in " +
                         places[1].parent_path().string()};
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
    void* address = ::dlsym(it->second.handle, symbol);
    if (!address) error = std::string(name) + ".so has no " + symbol;
    return address;
}

}  // namespace tessary::platform
