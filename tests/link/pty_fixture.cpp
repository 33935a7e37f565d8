// SPDX-License-Identifier: GPL-3.0-or-later
#include "pty_fixture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace tessary::test {

void RecordingSink::raise(const std::string& unit, int event, const EventArgs& args) {
    events.push_back({unit, event, args.a});
    if (onRaise) onRaise(events.back());
}

bool processUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    QCoreApplication::processEvents();
    if (condition()) return true;
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (condition() || std::chrono::steady_clock::now() >= end) loop.quit();
    });
    tick.start(2);
    loop.exec();
    return condition();
}

void processFor(std::chrono::milliseconds period) {
    processUntil([] { return false; }, period);
}

}  // namespace tessary::test
