// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bars that a window lays over the bottom of a unit: progress while a long operation keeps the window
// thread busy, and a notice with one button.
#include <QFrame>
#include <QProgressBar>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>

#include "app/model/window.h"

class QLabel;
class QPushButton;

namespace tessary::qt {

class ProgressOverlay : public QProgressBar {
  public:
    // Sits at the bottom of `host`, above its other children.
    explicit ProgressOverlay(QWidget* host);
    void show(const Progress& progress);

  private:
    void tick();

    QString text_;
    QTimer timer_;
    std::chrono::steady_clock::time_point end_{};
};

// The text on the left, its button and a close button on the right; either button hides it.
class NoticeOverlay : public QFrame {
  public:
    // `act` runs with the notice's handler after a click on its button has hidden it.
    NoticeOverlay(QWidget* host, std::function<void(const std::string&)> act);
    void show(const Notice& notice);

  private:
    QLabel* text_;
    QPushButton* action_;
    std::string handler_;
};

}  // namespace tessary::qt
