// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// tessary-prepare --test-card FROM:TO:COUNT [--cell-size N] [--cell K] OUT.bmp: the test card, whole or one
// cell's own upload image.
#include <string_view>

namespace tessary::prepare {

// Whether the command line asks for a test card (then runTestCard takes it whole).
bool wantsTestCard(int argc, char** argv);

// The exit status: 0 written, 1 not written, 2 wrong usage or a card refused (nothing written then).
int runTestCard(int argc, char** argv);

}  // namespace tessary::prepare
