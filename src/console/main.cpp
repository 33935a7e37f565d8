// SPDX-License-Identifier: GPL-3.0-or-later
// The console: creates the main window from its definition and runs until it is closed.
// tessary [FILE]: FILE is taken in once the window is up, as if it had been dropped on it.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/console.h"
#include "app/definitions/definitions.h"
#include "app/qt/later_starts.h"
#include "app/qt/qt_services.h"
#include "app/qt/qt_window_host.h"
#include "app/qt/termination.h"
#include "app/qt/visual_style.h"
#include "console/display_check.h"
#include "console/program_parts.h"
#include "platform/paths.h"
#include "platform/program.h"
#include "platform/running_mark.h"

namespace {
constexpr const char* kHelp =
    "Usage: tessary [OPTION] [FILE]\n"
    "The console for a small laser engraver on a USB serial port: connect, prepare a picture, send it,\n"
    "drive the machine and follow the laser.\n"
    "\n"
    "  FILE       a picture taken in at start, as if it had been dropped on the window; when Tessary\n"
    "             already runs on this desktop, that console takes it in and comes to the front\n"
    "  --help     print this text\n"
    "  --version  print the version\n";
std::string absolutePath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code error;
    const auto absolute = std::filesystem::absolute(tessary::platform::pathFromText(path), error);
    const std::string text = tessary::platform::textFromPath(absolute);
    return error || text.empty() ? path : text;
}

}  // namespace

int main(int argc, char** argv) {
    // File names as UTF-8 on every system (on Windows main's own are in the ANSI code page).
    tessary::platform::ProgramArguments arguments(argc, argv);
    argc = arguments.argc();
    argv = arguments.argv();
    for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version" || arg == "--help") {
            tessary::platform::useParentTerminal();
            std::fputs(arg == "--version" ? "tessary " TESSARY_VERSION "\n" : kHelp, stdout);
            std::fflush(stdout);
            return 0;
        }
    }
    if (!tessary::displayReachable(tessary::displayEnvironment({argv, argv + argc}))) {
        std::fprintf(stderr, "%s\n", tessary::kNoDisplayMessage);
        return 1;
    }
    QApplication app(argc, argv);
    const tessary::platform::RunningMark running;
    std::string file;  // the first argument left after Qt's own; "--" ends the options
    for (int i = 1, options = 1; i < argc && file.empty(); ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--")
            options = 0;
        else if (!options || arg.empty() || arg[0] != '-')
            file = arg;
    }
    // One console for each desktop: a later start hands its file to the first and ends.
    tessary::Console* current = nullptr;
    const tessary::qt::LaterStarts laterStarts(absolutePath(file), [&current](const std::string& request) {
        if (!current) return;
        tessary::qt::bringToFront(*current);
        tessary::takeInAtStart(*current, tessary::mainWindowDefinition(), request);
    });
    if (laterStarts.handedOver()) {
        std::fprintf(stderr, "tessary: Tessary already runs on this desktop; it %s\n",
                     file.empty() ? "comes to the front" : ("takes in " + file).c_str());
        return 0;
    }
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    // Lets Wayland desktops match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TESSARY_APP_ID));
    // The program ends when its main window is destroyed, not when a message box happens to be the last
    // window shown.
    QApplication::setQuitOnLastWindowClosed(false);
    tessary::qt::installProgramErrorBox();
    tessary::qt::useDefaultGuiFont();

    tessary::qt::BlockingClock clock;
    tessary::qt::MessageBoxes dialogs;
    tessary::qt::ConfigFileSettings settings;
    tessary::qt::QtWindowHost host;
    host.setSerialPortFactory(tessary::serialPortFactory());
    tessary::HandlerRegistry handlers;
    tessary::registerAllHandlers(handlers);

    int status = 0;
    {
        tessary::Console console(clock, dialogs, host, handlers);
        console.setRunDirectory(tessary::programRunDirectory());
        console.setSettings(settings);
        console.setMainWindowGone([&current] {
            current = nullptr;
            QCoreApplication::quit();
        });
        current = &console;
        tessary::qt::TerminationRequests onTermination([&console] { tessary::qt::requestClose(console); });
        // The end of the Windows session: the process ends once this returns, so the window goes at once.
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&console] {
            if (console.hasMainWindow()) console.destroyMainWindow();
        });
        if (!console.createMainWindow(tessary::mainWindowDefinition())) {
            dialogs.messageBox("The main window of Tessary could not be created.", 0, "Tessary");
            status = -1;
        } else if (console.hasMainWindow()) {
            // From the event loop, after the start-up (and its automatic connection) has run.
            QTimer::singleShot(0, &app, [&console, &file] {
                tessary::takeInAtStart(console, tessary::mainWindowDefinition(), file);
            });
            QApplication::exec();
        }
        current = nullptr;
        console.destroyMainWindow();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
