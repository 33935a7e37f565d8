// SPDX-License-Identifier: GPL-3.0-or-later
// tessary.exe is a windowed program: --help and --version still print where they were asked for, and a
// Windows desktop counts as the display Qt needs. Every program has the stack protector's guard.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>

#include "console/display_check.h"
#include "support/program_run.h"

extern "C" void* __stack_chk_guard;

namespace tessary {
namespace {

[[gnu::noinline]] void overrun(std::size_t bytes) {
    char buffer[8];
    volatile char* p = buffer;
    for (std::size_t i = 0; i < bytes; ++i) p[i] = 'x';
}

TEST(ConsoleProgram, HelpAndVersionPrintWhereTheyWereAskedForAndEnd) {
    struct Case {
        const char* option;
        std::string start;
    };
    for (const Case& c :
         {Case{"--version", "tessary " TESSARY_VERSION "\n"}, Case{"--help", "Usage: tessary"}}) {
        const testing::ProgramRun run =
            testing::runProgram(TESSARY_BINARY, {c.option}, std::chrono::seconds(30));
        EXPECT_EQ(run.status, 0) << c.option;
        EXPECT_TRUE(run.out.starts_with(c.start)) << c.option << ": " << run.out;
        EXPECT_EQ(run.err, "") << c.option;
    }
}

TEST(DisplayCheck, TheDesktopAndPlatformsWithoutADisplayAreReachable) {
    for (const char* platform : {"", "windows", "windows:dpiawareness=1", "offscreen", "minimal;windows"})
        EXPECT_TRUE(displayReachable({platform, "", "", ""})) << platform;
}

TEST(StackGuard, IsSeededAtStartAndAnOverrunEndsTheProgram) {
    EXPECT_NE(__stack_chk_guard, nullptr);
    EXPECT_EXIT(overrun(64), ::testing::ExitedWithCode(static_cast<int>(STATUS_STACK_BUFFER_OVERRUN)),
                "stack smashing detected");
}

}  // namespace
}  // namespace tessary
