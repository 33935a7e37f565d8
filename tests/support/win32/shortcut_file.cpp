// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/win32/shortcut_file.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace tessary::testing {

bool makeShortcut(const std::wstring& shortcut, const std::wstring& target) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    bool saved = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                            reinterpret_cast<void**>(&link))) &&
                 SUCCEEDED(link->SetPath(target.c_str())) &&
                 SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                 SUCCEEDED(file->Save(shortcut.c_str(), TRUE));
    if (file) file->Release();
    if (link) link->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    return saved;
}

}  // namespace tessary::testing
