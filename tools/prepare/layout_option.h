// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// tessary-prepare --layout FILE: several pictures, text blocks and QR codes on one engraving.
#include <string>

namespace tessary::prepare {

// Writes the engraving the layout description describes to `out`, mirrored as a whole when asked (or when
// the layout says so). A lone picture at its default place is taken in as the console takes in a dropped
// picture, its log lines printed. The exit status: 0 written; 1 a picture refused or `out` not written;
// 2 a description that cannot be used (why on standard error; nothing written).
int writeLayout(const std::string& layoutFile, bool mirror, const std::string& out);

}  // namespace tessary::prepare
