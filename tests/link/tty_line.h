// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The line settings a pseudo-terminal was given, as the machine's end sees them.

namespace tessary::test {

struct TtyLine {
    int baud = 0;
    int dataBits = 0;
    int stopBits = 0;   // 1 or 2
    char parity = 'n';  // n, o, e, m(ark), s(pace)
    bool rtsCts = false;
    bool xonXoff = false;
    bool raw = false;  // no line editing, echo, signals, output processing or CR/NL mapping; receiver on
    bool operator==(const TtyLine&) const = default;
};

}  // namespace tessary::test
