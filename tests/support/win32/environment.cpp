// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/environment.h"

#include <windows.h>

#include <cstdlib>

#include "platform/win32/wide.h"

namespace tessary::testing {

using platform::win32::textFromWide;
using platform::win32::wideFromText;

std::optional<std::string> environmentVariable(const std::string& name) {
    const wchar_t* value = _wgetenv(wideFromText(name).c_str());
    if (!value) return std::nullopt;
    return textFromWide(value);
}

void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value) {
    const std::wstring wideName = wideFromText(name);
    // Both the C runtime's copy (getenv) and the process's own (children, GetEnvironmentVariableW).
    const std::wstring wideValue = value ? wideFromText(*value) : std::wstring();
    _wputenv_s(wideName.c_str(), wideValue.c_str());
    SetEnvironmentVariableW(wideName.c_str(), value ? wideValue.c_str() : nullptr);
}

}  // namespace tessary::testing
