// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a terminal's line settings (the far end of a pseudo-terminal reads those of its slave).
#include "../tty_line.h"

namespace tessary::test {

// The settings of the terminal open at fd; all zero when it cannot be read.
TtyLine ttyLineOf(int fd);

}  // namespace tessary::test
