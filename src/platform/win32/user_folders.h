// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The run directory's choice on Windows, for a given program directory and local application data folder.
#include <string>

namespace tessary::platform {

// The program directory when files can be created there (a portable folder); otherwise
// LOCALAPPDATA\Tessary (made when missing; a folder, not a link); otherwise the program directory.
std::string chooseRunDirectory(const std::string& programDirectory, const std::string& localAppData);

}  // namespace tessary::platform
