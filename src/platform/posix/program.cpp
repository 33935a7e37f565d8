// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program.h"

namespace tessary::platform {

std::vector<std::string> systemArguments(int argc, char** argv) { return {argv, argv + argc}; }

void useParentTerminal() {}

}  // namespace tessary::platform
