// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The queue through which the port worker hands received bytes and line-status codes to the window thread,
// and the hidden target on the window thread that raises them as unit events.
#include <QObject>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/model/unit.h"

class QEvent;

namespace tessary::link {

struct QueueEntry {
    // DeviceGone comes once, after the last byte the device gave.
    enum class Type : std::uint8_t { Byte, LineStatus, DeviceGone } type;
    std::uint8_t value;  // the byte, or the line-status code 1..10
};

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

// Lives on the thread that created the unit. Each notification takes a batch from the queue and raises
// DataArrived / LineStatus / DeviceGone in queue order until the unit is gone or its window stops taking
// events; what is left is notified again, so that input and painting go on however fast bytes arrive. While a
// delivery hold is active the entries stay queued and are delivered, in order, once it ends.
class DeliveryTarget final : public QObject {
  public:
    DeliveryTarget(std::shared_ptr<EventQueue> queue, EventSink& sink, std::string unitName);
    // After this no event is raised; safe to call from a handler that is being delivered to.
    void detach() { detached_ = true; }
    bool delivering() const { return depth_ > 0; }

  protected:
    bool event(QEvent* e) override;

  private:
    // Entries raised per notification; the rest wait for the next one, after the thread's other events.
    static constexpr std::size_t kBatch = 4096;
    void deliver(const std::vector<QueueEntry>& entries);
    void notifySelf();
    // Waits for the end of a delivery hold, then notifies itself again.
    void resumeLater();

    std::shared_ptr<EventQueue> queue_;
    EventSink& sink_;
    std::string unitName_;
    bool detached_ = false;
    bool resumeRequested_ = false;
    int depth_ = 0;
};

}  // namespace tessary::link
