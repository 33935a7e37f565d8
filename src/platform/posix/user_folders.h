// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The run directory's choice on POSIX systems, for a given program directory and environment.
#include <string>

namespace tessary::platform {

// The program directory when files can be created there and it is not a system directory (an installed
// program's); otherwise a private directory of the user's: $XDG_RUNTIME_DIR/tessary, else ~/.cache/tessary,
// else TMPDIR/tessary-UID (made 0700, accepted only when it is a real directory of this user); else the
// program directory. Null values are unset; the home falls back to the account's own.
std::string chooseRunDirectory(const std::string& programDirectory, const char* xdgRuntimeDir,
                               const char* home, const char* tmpDir = nullptr);

}  // namespace tessary::platform
