// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The run directory's choice on POSIX systems, for a given program directory and environment.
#include <string>
#include <string_view>

namespace tessary::platform {

// The program directory when files can be created there and it is not a system directory (an installed
// program's); otherwise a private directory of the user's: $XDG_RUNTIME_DIR/tessary, else ~/.cache/tessary,
// else TMPDIR/tessary-UID (made 0700, accepted only when it is a real directory of this user); else the
// program directory. Null values are unset; the home falls back to the account's own.
std::string chooseRunDirectory(const std::string& programDirectory, const char* xdgRuntimeDir,
                               const char* home, const char* tmpDir = nullptr);

// XDG_PICTURES_DIR of a user-dirs.dirs text ("$HOME/..." or an absolute path, in double quotes), with
// $HOME replaced by `home`; empty when it is not set there, or names the home folder itself (the
// folder turned off).
std::string picturesFolderFrom(std::string_view userDirs, const std::string& home);

}  // namespace tessary::platform
