// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs one of our programs as a user would, and collects what it printed and how it ended.
#include <chrono>
#include <string>
#include <vector>

namespace tessary::testing {

struct ProgramRun {
    int status = -1;  // the exit status; -1 when it could not start, was killed or ran out of time
    std::string out, err;
};

// PROGRAM ARGUMENTS... with UTF-8 arguments, stdin empty; ended when it takes longer than the time given.
// What it printed has its lines ended by "\n" (a Windows program's "\r\n" included).
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      std::chrono::seconds timeLimit = std::chrono::seconds(60));

// The exit status a parent sees when a program calls exit(code): its low byte on POSIX systems, the code
// itself on Windows.
int exitStatusOf(int code);

}  // namespace tessary::testing
