// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a program gets from the system it starts on: its arguments as UTF-8 text, and a terminal to print to.
#include <string>
#include <vector>

namespace tessary::platform {

// The program's arguments as UTF-8 text, in argc/argv form: on POSIX systems main's own; on Windows taken
// from the UTF-16 command line, since main's are in the ANSI code page, which cannot hold every file name.
class ProgramArguments {
  public:
    ProgramArguments(int argc, char** argv);
    int argc() const { return static_cast<int>(pointers_.size()) - 1; }
    char** argv() { return pointers_.data(); }

  private:
    std::vector<std::string> text_;
    std::vector<char*> pointers_;  // into text_, ending with a null pointer
};

// Makes stdout and stderr reach the terminal the program was started from, for a windowed program that prints
// its --help or --version: on Windows such a program has no console until it attaches to its parent's; output
// sent to a file or pipe stays there. Nothing to do on POSIX systems.
void useParentTerminal();

}  // namespace tessary::platform
