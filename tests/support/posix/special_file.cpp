// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/special_file.h"

#include <sys/stat.h>

namespace tessary::testing {

bool makeNonRegularFile(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

}  // namespace tessary::testing
