// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sign, for as long as the object lives, that the console is running: the Windows installer and uninstaller
// look for it (a named mutex) so that they never replace or remove files in use. Nothing on POSIX systems,
// where the package manager replaces files safely.

namespace tessary::platform {

// The mutex's name, shared with packaging/windows/NSIS.template.in.
inline constexpr const wchar_t* kRunningMarkName = L"TessaryConsoleRunning";

class RunningMark {
  public:
    RunningMark();
    ~RunningMark();
    RunningMark(const RunningMark&) = delete;
    RunningMark& operator=(const RunningMark&) = delete;

  private:
    void* handle_ = nullptr;
};

}  // namespace tessary::platform
