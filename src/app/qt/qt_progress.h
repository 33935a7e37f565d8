// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bar that a window lays over the bottom of a unit while a long operation keeps the window thread busy.
#include <QProgressBar>
#include <QTimer>
#include <chrono>

#include "app/model/window.h"

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

}  // namespace tessary::qt
