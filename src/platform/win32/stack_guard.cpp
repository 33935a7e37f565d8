// SPDX-License-Identifier: GPL-3.0-or-later
// The stack protector's guard and its failure, linked into every program and module of ours. libssp's DLL
// seeds its guard through the CryptoAPI, which loads four more DLLs at every start (20 ms of a 45 ms start
// under wine); the C runtime's rand_s takes the system's random numbers directly. libssp's checked string
// functions (_FORTIFY_SOURCE) are linked in from its static library and fail through __chk_fail below.
// Built without the stack protector itself: the guard changes while its setup runs.
#define _CRT_RAND_S
#include <windows.h>

#include <cstdint>
#include <cstdlib>

extern "C" {

void* __stack_chk_guard = nullptr;

// Run as the program or module is loaded, before any of its own code and first of its constructors.
__attribute__((constructor(101))) static void setUpStackGuard() {
    unsigned high = 0, low = 0;
    if (rand_s(&high) == 0 && rand_s(&low) == 0)
        __stack_chk_guard = reinterpret_cast<void*>((std::uintptr_t{high} << 32) | low);
    else  // a fixed guard still stops overruns of strings: zero, newline and 0xFF bytes
        __stack_chk_guard = reinterpret_cast<void*>(std::uintptr_t{0x00000aff0a0d0000});
}

// Ends the process at once, as Windows' own stack check does: the heap and the stack may be corrupt.
[[noreturn]] static void stop(const char* message, DWORD length) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), message, length, &written, nullptr);
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    std::abort();
}

[[noreturn]] void __stack_chk_fail() {
    static constexpr char kMessage[] = "*** stack smashing detected ***: terminated\n";
    stop(kMessage, sizeof kMessage - 1);
}

[[noreturn]] void __chk_fail() {
    static constexpr char kMessage[] = "*** buffer overflow detected ***: terminated\n";
    stop(kMessage, sizeof kMessage - 1);
}
}
