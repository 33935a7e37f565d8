// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shell shortcuts (.lnk files), Windows' links for the user: what they lead to.
#include <windows.h>

#include <string>

namespace tessary::platform::win32 {

// Whether the open file is a shell shortcut: named *.lnk and starting with a shell link's header. The file is
// left at its start.
bool isShellLink(const std::wstring& path, HANDLE file);

// The path a shortcut leads to, as stored in it (nothing is searched for); empty when it leads to none.
std::wstring shortcutTarget(const std::wstring& path);

}  // namespace tessary::platform::win32
