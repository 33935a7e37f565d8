// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/delivery_target.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <cstdio>
#include <exception>

#include "app/model/delivery_hold.h"

namespace tessary::link {

DeliveryTarget::DeliveryTarget(std::shared_ptr<EventQueue> queue, EventSink& sink, std::string unitName)
    : queue_(std::move(queue)), sink_(sink), unitName_(std::move(unitName)) {}

bool DeliveryTarget::event(QEvent* e) {
    if (e->type() != EventQueue::notificationType()) return QObject::event(e);
    // A handler that runs a nested event loop while bytes are being delivered must not see later bytes
    // before the earlier ones it interrupted: the outer delivery picks them up when it resumes.
    if (depth_ > 0) return true;
    if (DeliveryHold::active()) {
        resumeLater();
        return true;
    }
    ++depth_;
    try {
        if (!detached_) deliver(queue_->take(kBatch));
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "tessary: serial port event delivery: %s\n", ex.what());
    } catch (...) {
        std::fprintf(stderr, "tessary: serial port event delivery failed\n");
    }
    --depth_;
    if (detached_ && depth_ == 0)
        deleteLater();
    else if (!detached_ && !queue_->empty())
        notifySelf();
    return true;
}

void DeliveryTarget::notifySelf() {
    QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(EventQueue::notificationType())));
}

void DeliveryTarget::resumeLater() {
    if (resumeRequested_) return;
    resumeRequested_ = true;
    DeliveryHold::whenReleased([self = QPointer<DeliveryTarget>(this)] {
        if (!self) return;
        self->resumeRequested_ = false;
        self->notifySelf();
    });
}

void DeliveryTarget::deliver(const std::vector<QueueEntry>& entries) {
    EventArgs args;
    for (const auto& entry : entries) {
        if (detached_ || !sink_.alive()) return;
        args.a = entry.value;
        int event = event::kDataArrived;
        if (entry.type == QueueEntry::Type::LineStatus) event = event::kLineStatus;
        if (entry.type == QueueEntry::Type::DeviceGone) event = event::kDeviceGone;
        sink_.raise(unitName_, event, args);
    }
}

}  // namespace tessary::link
