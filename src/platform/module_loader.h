// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Our own shared libraries that hold the heavy decoders, opened only when a picture needs one. A module is
// looked for beside the running program (the build tree) and then in the module folder the package installs,
// named relative to the program's folder. Once opened it stays for the rest of the run.
#include <string>
#include <string_view>

namespace tessary::platform {

// The address of `symbol` in the module `name` (without folder or suffix, such as "tessary-heif"); nullptr
// when the module cannot be found or opened or lacks the symbol, with the reason in `error`.
void* moduleSymbol(std::string_view name, const char* symbol, std::string& error);

}  // namespace tessary::platform
