// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up without a display: the platform Qt would use is asked first, and the program says so in one line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/display_check.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

// A listening Unix socket standing in for a Wayland compositor.
class Compositor {
  public:
    explicit Compositor(const fs::path& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 4);
    }
    ~Compositor() { ::close(fd_); }

  private:
    int fd_ = -1;
};

TEST(DisplayCheck, EachPlatformNeedsItsOwnDisplay) {
    const fs::path runtime = fs::temp_directory_path() / ("tessary-display-" + std::to_string(::getpid()));
    fs::create_directories(runtime);
    Compositor compositor(runtime / "wayland-7");
    const std::string noX = ":4711";  // no X server listens there
    struct Case {
        const char* what;
        DisplayEnvironment env;
        bool reachable;
    };
    const Case cases[] = {
        {"offscreen needs nothing", {"offscreen", "", "", ""}, true},
        {"xcb without DISPLAY", {"xcb", "", "", ""}, false},
        {"xcb with a display nobody serves", {"xcb", noX, "", ""}, false},
        {"xcb with options", {"xcb:nograb", noX, "", ""}, false},
        {"wayland with its socket", {"wayland", "", "wayland-7", runtime.string()}, true},
        {"wayland by absolute path", {"wayland", "", (runtime / "wayland-7").string(), ""}, true},
        {"wayland with no socket", {"wayland", "", "wayland-8", runtime.string()}, false},
        {"wayland without a runtime folder", {"wayland", "", "wayland-7", ""}, false},
        {"a list: the second answers", {"xcb;wayland", noX, "wayland-7", runtime.string()}, true},
        {"a list: none answers", {"wayland;xcb", noX, "", runtime.string()}, false},
        {"Qt's choice, nothing anywhere", {"", "", "", ""}, false},
        {"Qt's choice, a Wayland session", {"", "", "wayland-7", runtime.string()}, true},
    };
    for (const Case& c : cases) EXPECT_EQ(displayReachable(c.env), c.reachable) << c.what;
    fs::remove_all(runtime);
}

struct Outcome {
    int status = -1;
    std::string out, err;
};

Outcome runConsole(const std::vector<std::string>& args, const std::vector<std::string>& environment) {
    const fs::path dir = fs::temp_directory_path() / ("tessary-run-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string out = (dir / "out").string(), err = (dir / "err").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> argvStrings{TESSARY_BINARY};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (auto& a : argvStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings = environment;
    for (auto& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);
    Outcome run;
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    const auto slurp = [](const std::string& path) {
        std::ostringstream s;
        s << std::ifstream(path).rdbuf();
        return s.str();
    };
    run.out = slurp(out);
    run.err = slurp(err);
    fs::remove_all(dir);
    return run;
}

TEST(DisplayCheck, WithoutADisplayTheConsoleSaysSoAndHelpAndVersionStillWork) {
    const std::vector<std::string> noDisplay{"PATH=/usr/bin:/bin", "HOME=/tmp",
                                             "XDG_RUNTIME_DIR=/nonexistent"};
    const Outcome help = runConsole({"--help"}, noDisplay);
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: tessary")) << help.out;
    const Outcome version = runConsole({"--version"}, noDisplay);
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("tessary ")) << version.out;
    // After "--" a file may be called --help: it is a picture to take in, which needs the display.
    const Outcome file = runConsole({"--", "--help"}, noDisplay);
    EXPECT_EQ(file.status, 1);
    EXPECT_EQ(file.out, "");
    for (const auto& extra :
         {std::vector<std::string>{}, std::vector<std::string>{"DISPLAY=:4711"},
          std::vector<std::string>{"QT_QPA_PLATFORM=wayland", "WAYLAND_DISPLAY=wayland-9"}}) {
        std::vector<std::string> env = noDisplay;
        env.insert(env.end(), extra.begin(), extra.end());
        const Outcome run = runConsole({}, env);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.err, std::string(kNoDisplayMessage) + "\n");
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
}  // namespace tessary
