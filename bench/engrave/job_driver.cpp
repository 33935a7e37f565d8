// SPDX-License-Identifier: GPL-3.0-or-later
// The console's own code running a job for a CPU measurement: the real main window on the platform Qt is
// given (xcb on Xvfb for bench/engrave/job_cpu.sh), the real clock, the machine on TESSARY_PORT_DIR. It takes
// in a picture with many black pixels, sends it, clicks Start, says "started" on standard output and then
// runs its event loop until it is terminated. With --idle it says "ready" once connected and does nothing.
// Usage: engrave_job_driver [--idle]
#include <QAbstractButton>
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "app/console.h"
#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "app/qt/qt_services.h"
#include "app/qt/qt_window.h"
#include "app/qt/qt_window_host.h"
#include "app/qt/termination.h"
#include "console/program_parts.h"
#include "image/picture.h"

namespace fs = std::filesystem;

namespace {

class LoggedBoxes : public tessary::Dialogs {
  public:
    void messageBox(std::string_view text, int, std::string_view title) override {
        std::fprintf(stderr, "message box %.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
    }
};

void click(tessary::Window& main, std::string_view unit) {
    auto& u = dynamic_cast<tessary::qt::QtUnit&>(main.unit(unit));
    if (auto* button = qobject_cast<QAbstractButton*>(u.widget())) button->click();
}

// A black disc on white: after intake, tens of thousands of black pixels, well over 10 s of carving at the
// line's rate.
fs::path writePicture(const fs::path& dir) {
    tessary::image::Raster picture(200, 200);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            const int dx = x - 100, dy = y - 100;
            const std::uint8_t v = dx * dx + dy * dy < 95 * 95 ? 0 : 255;
            std::fill_n(picture.at(x, y), 3, v);
        }
    }
    const fs::path path = dir / "disc.bmp";
    const auto bmp = tessary::image::bmp24(picture, false);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    const bool idle = argc > 1 && std::string_view(argv[1]) == "--idle";
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    char pattern[] = "/tmp/tessary-job-driver-XXXXXX";
    const fs::path dir = ::mkdtemp(pattern);

    tessary::qt::BlockingClock clock;
    LoggedBoxes boxes;
    tessary::qt::QtWindowHost host;
    host.setSerialPortFactory(tessary::serialPortFactory());
    tessary::HandlerRegistry handlers;
    tessary::registerAllHandlers(handlers);
    int status = 0;
    {
        tessary::Console console(clock, boxes, host, handlers);
        console.setRunDirectory(dir.string());
        console.setMainWindowGone([] { QCoreApplication::quit(); });
        tessary::qt::TerminationRequests onTermination([] { QCoreApplication::quit(); });
        if (!console.createMainWindow(tessary::mainWindowDefinition()) ||
            console.main().getText(tessary::main_window::kConnect, tessary::prop::button::kCaption) !=
                "Connected") {
            std::fprintf(stderr, "the console did not connect\n");
            status = 1;
        } else {
            tessary::Window& main = console.main();
            if (!idle) {
                static_cast<tessary::qt::QtWindow&>(main).raise(tessary::main_window::kDropTarget,
                                                                tessary::event::kFilesDropped,
                                                                {0, 0, 0, writePicture(dir).string()});
                click(main, tessary::main_window::kUploadImage);
                click(main, tessary::main_window::kStart);
            }
            std::printf("%s\n", idle ? "ready" : "started");
            std::fflush(stdout);
            QApplication::exec();
            console.destroyMainWindow();
        }
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return status;
}
