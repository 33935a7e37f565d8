// SPDX-License-Identifier: GPL-3.0-or-later
// The position-report path of the console: report bytes written into the machine's end of a pty, read by the
// serial port unit, delivered as DataArrived to the real main window's handler, decoded and plotted on the
// canvas (with the marks shown over the preview). Every position of the 510 x 510 surface is reported once
// per round, so nothing lost means every pixel red at the end. Usage: engrave_report_bench [rounds=3]
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/console.h"
#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "app/qt/qt_window_host.h"
#include "console/program_parts.h"
#include "engrave/report_decoder.h"

using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

class NoPauses : public tessary::Clock {
  public:
    void sleep(milliseconds) override {}
};
class NoBoxes : public tessary::Dialogs {
  public:
    void messageBox(std::string_view, int, std::string_view) override {}
};

constexpr double kLineRate = 57600.0 / 10.0;  // bytes per second at 57600 baud, 8N1
constexpr double kGoal = 200.0;

tessary::Bytes allPositions() {
    tessary::Bytes bytes;
    for (int y = 0; y < tessary::engrave::kSurfaceHeight; ++y) {
        for (int x = 0; x < tessary::engrave::kSurfaceWidth; ++x) {
            const auto report = *tessary::engrave::encodeReport({x, y});
            bytes.insert(bytes.end(), report.begin(), report.end());
        }
    }
    return bytes;
}

void writeAll(int fd, const tessary::Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (errno != EINTR) {
            std::perror("write");
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    char pattern[] = "/tmp/tessary-bench-XXXXXX";
    const fs::path dir = ::mkdtemp(pattern);
    ::setenv("TESSARY_PORT_DIR", dir.c_str(), 1);
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return 1;
    ::close(slave);
    termios t{};
    ::tcgetattr(master, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master, TCSANOW, &t);
    fs::create_symlink(name, dir / "COM1");

    NoPauses clock;
    NoBoxes boxes;
    tessary::qt::QtWindowHost host;
    host.setSerialPortFactory(tessary::serialPortFactory());
    tessary::HandlerRegistry handlers;
    tessary::registerAllHandlers(handlers);
    int status = 0;
    {
        tessary::Console console(clock, boxes, host, handlers);
        console.setRunDirectory(dir.string());
        if (!console.createMainWindow(tessary::mainWindowDefinition()) ||
            console.main().getText(tessary::main_window::kConnect, tessary::prop::button::kCaption) !=
                "Connected") {
            std::fprintf(stderr, "the console did not connect\n");
            return 1;
        }
        tessary::DrawSurface& canvas = console.main().drawPanel(tessary::main_window::kCanvas);
        const tessary::Bytes bytes = allPositions();
        std::printf("report path, pty to canvas: %zu bytes (%d reports) per round\n", bytes.size(),
                    tessary::engrave::kSurfaceWidth * tessary::engrave::kSurfaceHeight);
        double best = 0;
        for (int round = 1; round <= rounds; ++round) {
            for (auto& b : canvas.pixels().rgb) b = 255;
            canvas.changed();
            QCoreApplication::processEvents();
            const auto red = [&] {
                std::size_t n = 0;
                const auto& rgb = canvas.pixels().rgb;
                for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
                    n += rgb[i] == 255 && rgb[i + 1] == 0 && rgb[i + 2] == 0;
                return n;
            };
            const auto start = steady_clock::now();
            std::thread writer([&] { writeAll(master, bytes); });
            const std::size_t want =
                static_cast<std::size_t>(tessary::engrave::kSurfaceWidth) * tessary::engrave::kSurfaceHeight;
            const auto limit = start + 60s;
            // The last report is for (509, 509): once it is drawn, every earlier byte has been handled.
            while (canvas.pixels().at(509, 509)[1] != 0 && steady_clock::now() < limit) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            }
            const double seconds = duration<double>(steady_clock::now() - start).count();
            writer.join();
            const std::size_t drawn = red();
            const double rate = static_cast<double>(bytes.size()) / seconds;
            best = std::max(best, rate);
            std::printf("round %d: %.3f s, %.0f bytes/s = %.0f x the line rate, %zu of %zu pixels drawn%s\n",
                        round, seconds, rate, rate / kLineRate, drawn, want,
                        drawn == want ? "" : "  LOST REPORTS");
            if (drawn != want) status = 2;
        }
        std::printf("best: %.0f bytes/s = %.0f x the line rate of %.0f bytes/s (goal %.0f x)%s\n", best,
                    best / kLineRate, kLineRate, kGoal, best / kLineRate >= kGoal ? "" : "  BELOW THE GOAL");
        if (best / kLineRate < kGoal && status == 0) status = 3;
        console.destroyMainWindow();
    }
    ::close(master);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return status;
}
