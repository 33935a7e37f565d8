// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the module loader asks of the system: the program's folder, and opening a module file and looking up
// its symbols (posix/ or win32/module_file.cpp).
#include <filesystem>
#include <optional>
#include <string>

namespace tessary::platform::module_file {

// ".so" or ".dll".
const char* suffix();
// The folder of the running program; nullopt when the system does not say.
std::optional<std::filesystem::path> programFolder();
// The opened module, or nullptr with the reason in `error`.
void* open(const std::filesystem::path& file, std::string& error);
void* symbol(void* module, const char* name);

}  // namespace tessary::platform::module_file
