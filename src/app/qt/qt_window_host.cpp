// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/qt_window_host.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTimer>

#include "app/qt/qt_window.h"
#include "app/qt/visual_style.h"
#include "tessary_resources.h"

namespace tessary::qt {

namespace {
QIcon programIcon() {
    const auto bytes = resources::programIcon();
    QImage image;
    image.loadFromData(bytes.data(), static_cast<int>(bytes.size()));
    return QIcon(QPixmap::fromImage(image));
}
}  // namespace

std::unique_ptr<Window> QtWindowHost::create(const WindowDef& def, Console& console) {
    auto window = std::make_unique<QtWindow>(def, console, serialPortFactory_);
    if (!window->complete()) return nullptr;
    window->widget()->setWindowIcon(programIcon());
    return window;
}

void QtWindowHost::runModal(Window& window) {
    auto* qtWindow = dynamic_cast<QtWindow*>(&window);
    if (!qtWindow || !qtWindow->widget()) return;
    QWidget* widget = qtWindow->widget();
    widget->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    qtWindow->setModalLoop(&loop);
    widget->show();
    widget->raise();
    widget->activateWindow();
    loop.exec(QEventLoop::DialogExec);
    qtWindow->setModalLoop(nullptr);
    widget->hide();
}

void QtWindowHost::show(Window& window) {
    auto* qtWindow = dynamic_cast<QtWindow*>(&window);
    if (!qtWindow || !qtWindow->widget()) return;
    QWidget* widget = qtWindow->widget();
    widget->show();
    widget->activateWindow();
    // Keys reach the window itself until the operator puts the focus on a control.
    widget->setFocus(Qt::ActiveWindowFocusReason);
}

void QtWindowHost::showInFront(Window& window) {
    auto* qtWindow = dynamic_cast<QtWindow*>(&window);
    if (!qtWindow || !qtWindow->widget()) return;
    QWidget* widget = qtWindow->widget();
    widget->show();
    widget->raise();
    widget->activateWindow();
    // The first control of the definition that takes the focus has it.
    for (const UnitDef& u : qtWindow->definition().units) {
        auto* unit = dynamic_cast<QtUnit*>(window.find(u.name));
        QWidget* w = unit ? unit->widget() : nullptr;
        if (w && w->isEnabled() && w->focusPolicy() != Qt::NoFocus) {
            w->setFocus(Qt::ActiveWindowFocusReason);
            break;
        }
    }
}

void QtWindowHost::applyVisualStyle(int style) { qt::applyVisualStyle(style); }

void requestClose(Console& console) {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        // A message box whose buttons offer no escape would ignore a plain close.
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        QTimer::singleShot(10, [&console] { requestClose(console); });
        return;
    }
    if (!console.hasMainWindow()) return;
    if (auto* window = dynamic_cast<QtWindow*>(&console.main()); window && window->widget()) {
        window->widget()->close();
    } else {
        console.destroyMainWindow();
    }
}

}  // namespace tessary::qt
