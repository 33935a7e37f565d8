// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Command line of tessary-virtual-engraver.
#include <optional>
#include <string>
#include <vector>

namespace tessary::virtual_engraver {

struct Options {
    std::string portDir;   // empty: a new temporary directory
    int com = 5;           // 1 when the directory is our own
    std::string outDir;    // empty: the port directory
    double pace = 500;     // reports per second
    bool fast = false;     // as fast as the reader takes them
    bool keepBmp = false;  // also save the received file as it came
    int jogStep = 10;      // pixels per jog
    int timeoutMs = 1000;  // quiet time that ends an unfinished message
    int baud = 0;          // reads at this line rate (bits per second, 10 bits a byte); 0: as fast as written
    bool help = false;
    bool version = false;
};

/// `environmentPortDir`: the value of TESSARY_PORT_DIR, if set. `problem` says what is wrong.
std::optional<Options> parseOptions(const std::vector<std::string>& args,
                                    const std::optional<std::string>& environmentPortDir,
                                    std::string& problem);

std::string helpText();

}  // namespace tessary::virtual_engraver
