// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/termination.h"

#include <QMetaObject>

namespace tessary::qt {

TerminationRequests::TerminationRequests(std::function<void()> onRequest)
    : onRequest_(std::move(onRequest)), receiver_(std::make_unique<QObject>()) {
    requests_ = std::make_unique<platform::TerminationRequests>([receiver = receiver_.get(), this] {
        QMetaObject::invokeMethod(
            receiver,
            [this] {
                if (onRequest_) onRequest_();
            },
            Qt::QueuedConnection);
    });
}

TerminationRequests::~TerminationRequests() { requests_.reset(); }

}  // namespace tessary::qt
