// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The queue through which the port worker hands received bytes and line-status codes to the window thread.
#include <cstddef>
#include <mutex>
#include <vector>

#include "link/queue_entry.h"

class QObject;

namespace tessary::link {

class EventQueue {
  public:
    // Appends under the mutex and, when the queue was empty, posts a notification to the target before
    // releasing it.
    // Beyond kMaxQueued entries further bytes are dropped (line states and the loss still queue): a device
    // that sends faster than the window thread takes bytes in must not exhaust the memory.
    static constexpr std::size_t kMaxQueued = std::size_t{1} << 20;
    void append(const QueueEntry* entries, std::size_t count);
    // The first `most` entries, in order.
    std::vector<QueueEntry> take(std::size_t most);
    bool empty();
    void clear();
    void setTarget(QObject* target);

    static int notificationType();

  private:
    std::mutex mutex_;
    std::vector<QueueEntry> entries_;
    QObject* target_ = nullptr;
};

}  // namespace tessary::link
