// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program.h"

namespace tessary::platform {

std::vector<std::string> systemArguments(int argc, char** argv);

ProgramArguments::ProgramArguments(int argc, char** argv) : text_(systemArguments(argc, argv)) {
    for (std::string& arg : text_) pointers_.push_back(arg.data());
    pointers_.push_back(nullptr);
}

}  // namespace tessary::platform
