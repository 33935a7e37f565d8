// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Key codes of key events in the numbering the handlers compare against (the Windows virtual-key codes:
// 0x25 Left, 0x26 Up, 0x27 Right, 0x28 Down, letters and digits as their upper-case ASCII codes).
#include <Qt>

namespace tessary::qt {

// 0 for a key that has no virtual-key code.
int virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
// The modifier bits of EventArgs (modifier::kShift, kControl, kAlt).
int modifierBits(Qt::KeyboardModifiers modifiers);
bool isArrowKey(int qtKey);

}  // namespace tessary::qt
