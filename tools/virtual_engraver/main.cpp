// SPDX-License-Identifier: GPL-3.0-or-later
// tessary-virtual-engraver: plays the engraver on a pseudo-terminal (see --help).
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/self_pipe.h"
#include "virtual_engraver/engraver.h"
#include "virtual_engraver/options.h"
#include "virtual_engraver/port.h"

namespace {

using namespace tessary::virtual_engraver;

const tessary::platform::SelfPipe* g_signalPipe = nullptr;

extern "C" void onSignal(int signal) { g_signalPipe->notify(static_cast<unsigned char>(signal)); }

bool installSignals(const tessary::platform::SelfPipe& pipe) {
    g_signalPipe = &pipe;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
        if (::sigaction(s, &action, nullptr) != 0) return false;
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    return ::sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

int fail(const std::string& problem) {
    std::fprintf(stderr, "tessary-virtual-engraver: %s\n", problem.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> environmentDir;
    if (const char* dir = std::getenv("TESSARY_PORT_DIR")) environmentDir = dir;
    std::string problem;
    const auto options = parseOptions(args, environmentDir, problem);
    if (!options) return fail(problem + " (see --help)");
    if (options->help) {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("tessary-virtual-engraver %s\n", TESSARY_VERSION);
        return 0;
    }

    const tessary::platform::SelfPipe stop;
    if (!stop.valid()) return fail(std::string("pipe: ") + std::strerror(errno));
    if (!installSignals(stop)) return fail("cannot install signal handlers");

    auto pty = openPty(problem);
    if (!pty) return fail(problem);
    auto link = PortLink::create(options->portDir, options->com, pty->slavePath, problem);
    if (!link) return fail(problem);
    const std::string outDir = options->outDir.empty() ? link->dir() : options->outDir;
    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    if (error) return fail("cannot make " + outDir + ": " + error.message());

    Engraver engraver(*options, pty->master.get(), outDir, stdout);
    engraver.say("virtual engraver " TESSARY_VERSION " on " + pty->slavePath + ", linked as " + link->path());
    engraver.say("images are saved in " + outDir);
    std::printf("export TESSARY_PORT_DIR=%s\n", link->dir().c_str());
    std::fflush(stdout);

    engraver.run(stop.readFd());

    const unsigned char signal = stop.take().value_or(0);
    const std::string dir = link->dir();
    const bool ownsDir = link->ownsDir();
    const bool dirRemoved = link->remove();
    std::string farewell = "stopping on " + std::string(signal != 0 ? strsignal(signal) : "request") +
                           "; removed " + link->path();
    if (dirRemoved) farewell += " and " + dir;
    if (ownsDir && !dirRemoved) farewell += "; kept " + dir + " with what else is in it";
    engraver.say(farewell);
    return 0;
}
