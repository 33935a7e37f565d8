// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paths as the program's text: UTF-8 everywhere (on POSIX systems the bytes of the name, which are UTF-8
// there), turned into the system's own form (UTF-16 on Windows) only at the system's door.
#include <filesystem>
#include <string>
#include <string_view>

namespace tessary::platform {

// An empty path for text that is not UTF-8 where that matters (Windows).
std::filesystem::path pathFromText(std::string_view text);
std::string textFromPath(const std::filesystem::path& path);

// The directory of the running program, without a trailing separator.
std::string programDirectory();

// The local path named by a file: URL's percent-decoded path ("/home/a/b.jpg"; on Windows "/C:/a/b.jpg" is
// the drive path "C:/a/b.jpg").
std::string localPathOfFileUrl(std::string decodedPath);

}  // namespace tessary::platform
