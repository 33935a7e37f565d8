// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/later_starts.h"

#include <QApplication>
#include <QMetaObject>
#include <QWidget>

#include "app/console.h"
#include "app/qt/qt_window.h"

namespace tessary::qt {

LaterStarts::LaterStarts(const std::string& file, std::function<void(const std::string&)> onRequest)
    : onRequest_(std::move(onRequest)), receiver_(std::make_unique<QObject>()) {
    claim_ = platform::claimInstance(platform::desktopKey(), file,
                                     [receiver = receiver_.get(), this](const std::string& request) {
                                         QMetaObject::invokeMethod(
                                             receiver,
                                             [this, request] {
                                                 if (onRequest_) onRequest_(request);
                                             },
                                             Qt::QueuedConnection);
                                     });
}

LaterStarts::~LaterStarts() { claim_.listener.reset(); }

void bringToFront(Console& console) {
    if (!console.hasMainWindow()) return;
    QWidget* window = static_cast<QtWindow&>(console.main()).widget();
    if (!window) return;
    if (window->isMinimized()) window->showNormal();
    window->raise();
    window->activateWindow();
    QApplication::alert(window);
}

}  // namespace tessary::qt
