// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/qt_progress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "app/qt/qt_unit.h"

namespace tessary::qt {
namespace {

constexpr int kHeight = 22;
constexpr int kMargin = 8;
constexpr int kTickMs = 100;

}  // namespace

ProgressOverlay::ProgressOverlay(QWidget* host) : QProgressBar(host) {
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const int width = std::max(host->width() - 2 * kMargin, 1);
    setGeometry(kMargin, std::max(host->height() - kHeight - kMargin, 0), width, kHeight);
    timer_.setInterval(kTickMs);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
    hide();
}

void ProgressOverlay::show(const Progress& progress) {
    timer_.stop();
    text_ = toQString(progress.text);
    if (progress.countdown.count() > 0) {
        const int ms = static_cast<int>(std::min<std::int64_t>(progress.countdown.count(), 1 << 30));
        setRange(0, ms);
        end_ = std::chrono::steady_clock::now() + progress.countdown;
        tick();
        timer_.start();
    } else if (progress.total > 0) {
        // QProgressBar counts in int; large totals are shown in proportion.
        const double scale = progress.total > (1 << 30) ? static_cast<double>(1 << 30) / progress.total : 1.0;
        setRange(0, static_cast<int>(progress.total * scale));
        setValue(static_cast<int>(std::clamp<std::int64_t>(progress.done, 0, progress.total) * scale));
        setFormat(text_);
    } else {
        hide();
        return;
    }
    // The first showing is painted at once, for an operation that keeps the thread busy; later changes are
    // painted with the next frame.
    if (isVisible()) {
        update();
        return;
    }
    raise();
    QProgressBar::show();
    repaint();
}

void ProgressOverlay::tick() {
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(end_ - steady_clock::now()).count();
    const int ms = static_cast<int>(std::clamp<long long>(left, 0, maximum()));
    setValue(ms);
    setFormat(text_ + QString::number(static_cast<int>(std::ceil(ms / 1000.0))) + QStringLiteral(" s"));
    if (ms == 0) timer_.stop();
}

NoticeOverlay::NoticeOverlay(QWidget* host, std::function<void(const std::string&)> act)
    : QFrame(host), text_(new QLabel(this)), action_(new QPushButton(this)) {
    setObjectName(QStringLiteral("notice"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    text_->setWordWrap(true);
    auto* close = new QToolButton(this);
    close->setText(QStringLiteral("×"));
    close->setToolTip(QStringLiteral("Close"));
    close->setAutoRaise(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 2, 2);
    row->addWidget(text_, 1);
    row->addWidget(action_);
    row->addWidget(close);
    QObject::connect(close, &QToolButton::clicked, this, [this] { hide(); });
    QObject::connect(action_, &QPushButton::clicked, this, [this, act = std::move(act)] {
        hide();
        if (act) act(handler_);
    });
    hide();
}

void NoticeOverlay::show(const Notice& notice) {
    if (notice.text.empty()) {
        hide();
        return;
    }
    handler_ = notice.handler;
    text_->setText(toQString(notice.text));
    action_->setText(toQString(notice.action));
    QWidget* host = parentWidget();
    const int width = std::max(host->width() - 2 * kMargin, 1);
    const int height = std::max(heightForWidth(width), sizeHint().height());
    setGeometry(kMargin, std::max(host->height() - height - kMargin, 0), width, height);
    raise();
    QFrame::show();
}

}  // namespace tessary::qt
