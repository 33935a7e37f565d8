// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folders the console keeps its files in (UTF-8 paths, without a trailing separator).
#include <string>

namespace tessary::platform {

// Where the preview file goes: the program's directory while files can be created there (a portable
// folder), otherwise a private folder of the user's (chooseRunDirectory of posix/ and win32/ say which).
std::string runDirectory();

// The file the picture options are kept in (QSettings' INI format), looked up again at every call:
// $XDG_CONFIG_HOME/tessary/tessary.conf (else ~/.config/tessary/tessary.conf); on Windows
// %APPDATA%\Tessary\tessary.ini.
std::string settingsFile();

// Where a file chooser starts when the user has chosen nothing yet: the user's Pictures folder (on Linux
// XDG_PICTURES_DIR of user-dirs.dirs, on Windows the Pictures known folder), else the home folder; empty
// when neither is known.
std::string picturesFolder();

// Whether the path holds a regular file or nothing at all (a FIFO or device there would block a reader).
bool isRegularFileOrAbsent(const std::string& path);

}  // namespace tessary::platform
