// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/qt_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QString>
#include <QTimer>
#include <thread>

#include "app/model/delivery_hold.h"
#include "app/model/window.h"
#include "platform/user_folders.h"

namespace tessary::qt {

void BlockingClock::sleep(std::chrono::milliseconds pause) {
    using namespace std::chrono;
    if (pause.count() <= 0) return;
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(pause);
        return;
    }
    DeliveryHold hold;
    const auto end = steady_clock::now() + pause;
    // A timer may fire a little early; the pause is never shorter than asked.
    for (auto left = pause; left.count() > 0; left = ceil<milliseconds>(end - steady_clock::now())) {
        QEventLoop loop;
        QTimer::singleShot(left, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

namespace {
// The tick may end its own ticker: the timer is then let go of only once its signal has returned.
class TimerTicker : public Ticker {
  public:
    TimerTicker(std::chrono::milliseconds interval, std::function<void()> tick) : timer_(new QTimer) {
        timer_->setTimerType(Qt::CoarseTimer);
        QObject::connect(timer_, &QTimer::timeout, timer_, [tick = std::move(tick)] {
            if (!DeliveryHold::active()) tick();
        });
        timer_->start(interval);
    }
    ~TimerTicker() override {
        timer_->stop();
        timer_->deleteLater();
    }

  private:
    QTimer* timer_;
};
}  // namespace

std::unique_ptr<Ticker> BlockingClock::every(std::chrono::milliseconds interval, std::function<void()> tick) {
    if (!QCoreApplication::instance() || !tick) return nullptr;
    return std::make_unique<TimerTicker>(interval, std::move(tick));
}

namespace {
QString fromUtf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QMessageBox::StandardButtons buttonsFor(int code) {
    using B = QMessageBox::StandardButton;
    switch (code & 0x0F) {
        case 1:
            return B::Ok | B::Cancel;
        case 2:
            return B::Abort | B::Retry | B::Ignore;
        case 3:
            return B::Yes | B::No | B::Cancel;
        case 4:
            return B::Yes | B::No;
        case 5:
            return B::Retry | B::Cancel;
        default:
            return B::Ok;
    }
}

QMessageBox::Icon iconFor(int code) {
    switch (code & 0xF0) {
        case 0x10:
            return QMessageBox::Critical;
        case 0x20:
            return QMessageBox::Question;
        case 0x30:
            return QMessageBox::Warning;
        case 0x40:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

void showProgramError(std::string_view message) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tessary"), fromUtf8(message), QMessageBox::Ok);
    box.exec();
}
}  // namespace

void MessageBoxes::messageBox(std::string_view text, int code, std::string_view title) {
    QMessageBox box(iconFor(code), fromUtf8(title), fromUtf8(text), buttonsFor(code));
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

std::optional<std::string> MessageBoxes::openFile(std::string_view title, std::string_view folder,
                                                  std::string_view filters) {
    const QString chosen =
        QFileDialog::getOpenFileName(nullptr, fromUtf8(title), fromUtf8(folder), fromUtf8(filters));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

std::size_t MessageBoxes::ask(std::string_view text, std::string_view title,
                              const std::vector<std::string>& choices) {
    QMessageBox box(QMessageBox::Question, fromUtf8(title), fromUtf8(text), QMessageBox::NoButton);
    box.setWindowModality(Qt::ApplicationModal);
    std::vector<QAbstractButton*> buttons;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const bool last = i + 1 == choices.size();
        buttons.push_back(
            box.addButton(fromUtf8(choices[i]), last ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    }
    if (!buttons.empty()) box.setEscapeButton(buttons.back());
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i]) return i;
    return choices.empty() ? 0 : choices.size() - 1;
}

void installProgramErrorBox() { setProgramErrorHandler(&showProgramError); }

namespace {
QString settingsFile() { return QString::fromStdString(platform::settingsFile()); }
// QSettings opens its file with a blocking open: a FIFO or a device put in its place would hang the window
// thread. Only a regular file (or none yet) is used; anything else leaves the defaults.
bool usableSettingsFile(const QString& path) {
    return !path.isEmpty() && platform::isRegularFileOrAbsent(path.toStdString());
}
QString keyOf(std::string_view key) {
    return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}
}  // namespace

std::optional<std::string> ConfigFileSettings::value(std::string_view key) {
    if (!usableSettingsFile(settingsFile())) return std::nullopt;
    const QSettings settings(settingsFile(), QSettings::IniFormat);
    const QVariant v = settings.value(keyOf(key));
    if (!v.isValid()) return std::nullopt;
    return v.toString().toStdString();
}

bool ConfigFileSettings::setValue(std::string_view key, std::string_view value) {
    if (!usableSettingsFile(settingsFile())) return false;
    QSettings settings(settingsFile(), QSettings::IniFormat);
    settings.setValue(keyOf(key), QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::string ConfigFileSettings::location() const { return platform::settingsFile(); }

}  // namespace tessary::qt
