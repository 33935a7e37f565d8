#include "virtual_engraver/options.h"

#include <gtest/gtest.h>

namespace tessary::virtual_engraver {
namespace {

TEST(Options, PortDirectoryAndComNumberDefaults) {
    struct Case {
        std::vector<std::string> args;
        std::optional<std::string> environment;
        std::string portDir;
        int com;
    };
    const Case cases[] = {
        {{}, std::nullopt, "", 1},
        {{}, "", "", 1},
        {{}, "/env", "/env", 5},
        {{"--port-dir", "/arg"}, "/env", "/arg", 5},
        {{"--com", "9"}, std::nullopt, "", 9},
        {{"--port-dir", "/arg", "--com", "255"}, std::nullopt, "/arg", 255},
    };
    for (const Case& c : cases) {
        std::string problem;
        const auto options = parseOptions(c.args, c.environment, problem);
        ASSERT_TRUE(options) << problem;
        EXPECT_EQ(options->portDir, c.portDir);
        EXPECT_EQ(options->com, c.com);
    }
}

TEST(Options, RefusesWhatItCannotUse) {
    const std::vector<std::vector<std::string>> cases = {
        {"--com", "0"},   {"--com", "256"},     {"--com", "5x"},      {"--pace", "0"},  {"--pace", "fast"},
        {"--timeout", "1"}, {"--jog-step", "0"}, {"--port-dir", ""},  {"--port-dir"},   {"--colour"},
    };
    for (const auto& args : cases) {
        std::string problem;
        EXPECT_FALSE(parseOptions(args, std::nullopt, problem)) << args[0];
        EXPECT_FALSE(problem.empty());
    }
}

}  // namespace
}  // namespace tessary::virtual_engraver
