// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/event_queue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <cstdio>
#include <exception>

#include "app/model/delivery_hold.h"

namespace tessary::link {

int EventQueue::notificationType() {
    static const int type = QEvent::registerEventType();
    return type;
}

void EventQueue::append(const QueueEntry* entries, std::size_t count) {
    std::lock_guard lock(mutex_);
    if (!target_ || count == 0) return;
    // Each notification drains the whole queue, so entries added while one is pending need none of their own;
    // a notification per byte would cost more than the delivery itself.
    const bool notify = entries_.empty();
    if (entries_.size() + count <= kMaxQueued) {
        entries_.insert(entries_.end(), entries, entries + count);
    } else {
        for (std::size_t i = 0; i < count; ++i)
            if (entries_.size() < kMaxQueued || entries[i].type != QueueEntry::Type::Byte)
                entries_.push_back(entries[i]);
    }
    if (notify)
        QCoreApplication::postEvent(target_, new QEvent(static_cast<QEvent::Type>(notificationType())));
}

std::vector<QueueEntry> EventQueue::take(std::size_t most) {
    std::lock_guard lock(mutex_);
    if (entries_.size() <= most) {
        std::vector<QueueEntry> taken;
        taken.swap(entries_);
        return taken;
    }
    const auto end = entries_.begin() + static_cast<std::ptrdiff_t>(most);
    std::vector<QueueEntry> taken(entries_.begin(), end);
    entries_.erase(entries_.begin(), end);
    return taken;
}

bool EventQueue::empty() {
    std::lock_guard lock(mutex_);
    return entries_.empty();
}

void EventQueue::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

void EventQueue::setTarget(QObject* target) {
    std::lock_guard lock(mutex_);
    target_ = target;
}

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
