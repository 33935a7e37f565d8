// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/shortcut.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <cwctype>

#include "platform/win32/system_procedure.h"
#include "platform/win32/wide.h"

namespace tessary::platform::win32 {
namespace {

// The header size (0x4C) and the class of a shell link, as every .lnk file begins.
constexpr unsigned char kLinkHeader[20] = {0x4C, 0x00, 0x00, 0x00, 0x01, 0x14, 0x02, 0x00, 0x00, 0x00,
                                           0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

bool endsWithLnk(const std::wstring& path) {
    if (path.size() < 4) return false;
    std::wstring end = path.substr(path.size() - 4);
    for (wchar_t& c : end) c = static_cast<wchar_t>(std::towlower(c));
    return end == L".lnk";
}

// COM for this thread, for as long as it is needed; a thread where COM runs already keeps it as it is.
class ComScope {
  public:
    ComScope()
        : initialize_(systemProcedure<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx")),
          uninitialize_(systemProcedure<decltype(CoUninitialize)>(L"ole32.dll", "CoUninitialize")),
          createInstance_(systemProcedure<decltype(CoCreateInstance)>(L"ole32.dll", "CoCreateInstance")),
          result_(initialize_ && uninitialize_ && createInstance_
                      ? initialize_(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
                      : E_FAIL) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) uninitialize_();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    HRESULT createInstance(REFCLSID type, REFIID kind, void** out) const {
        return createInstance_(type, nullptr, CLSCTX_INPROC_SERVER, kind, out);
    }

  private:
    decltype(CoInitializeEx)* initialize_;
    decltype(CoUninitialize)* uninitialize_;
    decltype(CoCreateInstance)* createInstance_;
    HRESULT result_;
};

template <class T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) p->Release();
    }
};

}  // namespace

bool isShellLink(const std::wstring& path, HANDLE file) {
    if (!endsWithLnk(path)) return false;
    unsigned char head[sizeof kLinkHeader] = {};
    DWORD n = 0;
    const bool read = ReadFile(file, head, sizeof head, &n, nullptr);
    const LARGE_INTEGER start{};
    SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
    return read && n == sizeof head && std::memcmp(head, kLinkHeader, sizeof head) == 0;
}

std::wstring shortcutTarget(const std::wstring& path) {
    const ComScope com;
    if (!com.usable()) return {};
    Released<IShellLinkW> link;
    Released<IPersistFile> file;
    if (FAILED(com.createInstance(CLSID_ShellLink, IID_IShellLinkW, reinterpret_cast<void**>(&link.p))) ||
        FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))) ||
        FAILED(file.p->Load(plainPath(path).c_str(), STGM_READ)))
        return {};
    std::wstring target(32768, L'\0');
    if (link.p->GetPath(target.data(), static_cast<int>(target.size()), nullptr, 0) != S_OK) return {};
    target.resize(std::wcslen(target.c_str()));
    return target;
}

}  // namespace tessary::platform::win32
