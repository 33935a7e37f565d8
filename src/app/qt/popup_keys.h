// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A key that closes an open drop-down list (Escape above all) does only that: the window's own use of the
// key (Escape closing the window) waits for a second press, so nothing typed in the window is lost.
namespace tessary::qt {

// Once per application; windows call it as they are created.
void guardPopupKeys();

}  // namespace tessary::qt
