// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/render/gui.h"

#include <QGuiApplication>

namespace tessary::render {

bool ensureGuiApplication() {
    if (QCoreApplication::instance())
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tessary";
    static char* argv[] = {name, nullptr};
    // Its start-up notes (a missing runtime directory) mean nothing to a program without windows.
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // Lives until the program ends; a program that needs it has no other application object.
    static auto* application = new QGuiApplication(argc, argv);
    qInstallMessageHandler(previous);
    return application != nullptr;
}

}  // namespace tessary::render
