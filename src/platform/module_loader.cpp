// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/module_loader.h"

#include <functional>
#include <map>
#include <mutex>

#include "platform/module_file.h"
#include "platform/paths.h"

namespace tessary::platform {
namespace {

namespace fs = std::filesystem;

struct Opened {
    void* handle = nullptr;
    std::string error;
};

Opened open(std::string_view name) {
    const std::string file = std::string(name) + module_file::suffix();
    const std::optional<fs::path> folder = module_file::programFolder();
    if (!folder) return {nullptr, "the program's own folder is unknown, so " + file + " cannot be found"};
    const fs::path places[] = {*folder / file, (*folder / TESSARY_MODULE_SUBDIR / file).lexically_normal()};
    for (const fs::path& place : places) {
        std::error_code error;
        if (!fs::exists(place, error)) continue;
        Opened opened;
        opened.handle = module_file::open(place, opened.error);
        return opened;
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
    void* address = module_file::symbol(it->second.handle, symbol);
    if (!address) error = std::string(name) + module_file::suffix() + " has no " + symbol;
    return address;
}

}  // namespace tessary::platform
