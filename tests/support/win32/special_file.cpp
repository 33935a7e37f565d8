// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/special_file.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace tessary::testing {

bool makeNonRegularFile(const std::string& path) {
    return CreateDirectoryW(platform::win32::filePath(path).c_str(), nullptr);
}

}  // namespace tessary::testing
