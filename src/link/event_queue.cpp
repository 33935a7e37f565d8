// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/event_queue.h"

#include <QCoreApplication>
#include <QEvent>

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

}  // namespace tessary::link
