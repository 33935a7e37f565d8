// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/running_mark.h"

namespace tessary::platform {

RunningMark::RunningMark() = default;
RunningMark::~RunningMark() = default;

}  // namespace tessary::platform
