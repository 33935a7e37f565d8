// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/program_run.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "platform/win32/wide.h"
#include "support/temp_folder.h"

namespace tessary::testing {
namespace {

using platform::win32::UniqueHandle;
using platform::win32::wideFromText;

// One argument as CommandLineToArgvW and the C runtime read it back.
std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

UniqueHandle inheritable(const std::wstring& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return UniqueHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      std::chrono::seconds timeLimit) {
    const TempFolder folder("tessary-run");
    const std::wstring out = (folder.path() / "out").wstring(), err = (folder.path() / "err").wstring();
    ProgramRun run;
    {
        const UniqueHandle in = inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
        const UniqueHandle outFile = inheritable(out, GENERIC_WRITE, CREATE_ALWAYS);
        const UniqueHandle errFile = inheritable(err, GENERIC_WRITE, CREATE_ALWAYS);
        std::wstring commandLine = quoted(wideFromText(program));
        for (const std::string& arg : arguments) commandLine += L" " + quoted(wideFromText(arg));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in.get();
        startup.hStdOutput = outFile.get();
        startup.hStdError = errFile.get();
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                            nullptr, &startup, &process))
            return run;
        const UniqueHandle processHandle(process.hProcess);
        const UniqueHandle thread(process.hThread);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(timeLimit).count();
        DWORD code = 0;
        if (WaitForSingleObject(processHandle.get(), static_cast<DWORD>(ms)) != WAIT_OBJECT_0) {
            TerminateProcess(processHandle.get(), 1);
            WaitForSingleObject(processHandle.get(), 5000);
        } else if (GetExitCodeProcess(processHandle.get(), &code)) {
            run.status = static_cast<int>(code);
        }
    }
    // A Windows program prints its lines in text mode, ended by "\r\n": they come back ended by "\n".
    const auto slurp = [](const std::wstring& path) {
        std::ostringstream s;
        s << std::ifstream(std::filesystem::path(path), std::ios::binary).rdbuf();
        std::string text = s.str();
        for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.erase(at, 1);
        return text;
    };
    run.out = slurp(out);
    run.err = slurp(err);
    return run;
}

int exitStatusOf(int code) { return code; }

}  // namespace tessary::testing
