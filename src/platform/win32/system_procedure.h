// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A function of a Windows DLL found when first needed. shell32 and ole32 bring user32, gdi32 and COM with
// them, which cost a console program more at its start than all of its own DLLs (about 15 ms of 45 under
// wine); the few calls into them are made only when a known folder or a shortcut is asked for.
#include <windows.h>

namespace tessary::platform::win32 {

// Null when the DLL (from the system folder only) or the function is missing. The DLL stays loaded.
template <class Function>
Function* systemProcedure(const wchar_t* dll, const char* name) {
    const HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace tessary::platform::win32
