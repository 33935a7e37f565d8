// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Something at a path that is no regular file and that a careless reader could block on: a FIFO on POSIX
// systems; on Windows, which has none at a path, a folder.
#include <string>

namespace tessary::testing {

bool makeNonRegularFile(const std::string& path);

}  // namespace tessary::testing
