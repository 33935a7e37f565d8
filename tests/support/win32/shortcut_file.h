// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Makes a shell shortcut (.lnk) as Explorer's "Create shortcut" does, for tests of what opens through one.
#include <string>

namespace tessary::testing {

// False when the shortcut could not be saved.
bool makeShortcut(const std::wstring& shortcut, const std::wstring& target);

}  // namespace tessary::testing
