// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/popup_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

namespace tessary::qt {
namespace {

// A drop-down list hides while the shortcut check of the key is under way (on its ShortcutOverride); the
// same check then finds no popup in the way and fires the window's shortcut. The key event that met an open
// popup is known again by its key and time stamp and goes no further once the popup is gone.
class PopupKeyGuard : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        const QEvent::Type type = e->type();
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease)
            return false;
        const auto* key = static_cast<QKeyEvent*>(e);
        const bool same = held_ && key->key() == key_ && key->timestamp() == timestamp_;
        if (type == QEvent::KeyRelease) {
            if (key->key() == key_) held_ = false;
            return false;
        }
        if (QApplication::activePopupWidget()) {
            held_ = true;
            key_ = key->key();
            timestamp_ = key->timestamp();
            return false;
        }
        if (!same) return false;
        e->accept();
        return true;
    }

  private:
    bool held_ = false;
    int key_ = 0;
    quint64 timestamp_ = 0;
};

}  // namespace

void guardPopupKeys() {
    static QPointer<PopupKeyGuard> guard;
    if (guard || !QCoreApplication::instance()) return;
    guard = new PopupKeyGuard(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(guard);
}

}  // namespace tessary::qt
