// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/wide.h"

namespace {

// The C runtime's own parse of the UTF-16 command line, as a wmain program gets it: the same rules as main's
// arguments. Declared here since only the runtime's internal headers declare it; shell32's parser would load
// user32 and gdi32 with it.
struct StartupInfo {
    int newMode;
};
extern "C" int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** environment, int expandWildcards,
                              StartupInfo* startup);

}  // namespace

namespace tessary::platform {

std::vector<std::string> systemArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = nullptr;
    wchar_t** environment = nullptr;
    StartupInfo startup{0};
    if (__wgetmainargs(&count, &wide, &environment, 0, &startup) != 0 || !wide) return {argv, argv + argc};
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) args.push_back(win32::textFromWide(wide[i]));
    return args;
}

void useParentTerminal() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::FILE* ignored = nullptr;
    ignored = std::freopen("CONOUT$", "w", stdout);
    ignored = std::freopen("CONOUT$", "w", stderr);
    static_cast<void>(ignored);
}

}  // namespace tessary::platform
