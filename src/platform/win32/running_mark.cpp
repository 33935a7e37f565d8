// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/running_mark.h"

#include <windows.h>

namespace tessary::platform {

// Several consoles may run at once: each holds a handle, and the mutex exists until the last one closes it.
RunningMark::RunningMark() : handle_(CreateMutexW(nullptr, FALSE, kRunningMarkName)) {}

RunningMark::~RunningMark() {
    if (handle_) CloseHandle(handle_);
}

}  // namespace tessary::platform
