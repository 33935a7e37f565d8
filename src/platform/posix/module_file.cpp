// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/module_file.h"

#include <dlfcn.h>

namespace tessary::platform::module_file {

const char* suffix() { return ".so"; }

std::optional<std::filesystem::path> programFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    return program.parent_path();
}

void* open(const std::filesystem::path& file, std::string& error) {
    // RTLD_LOCAL: the libraries under a module stay out of the program's own symbol lookups.
    if (void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
    const char* why = ::dlerror();
    error = why ? why : file.string() + " cannot be opened";
    return nullptr;
}

void* symbol(void* module, const char* name) { return ::dlsym(module, name); }

}  // namespace tessary::platform::module_file
