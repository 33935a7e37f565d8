// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hidden target on the window thread that raises what the port worker queued as unit events.
#include <QObject>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "app/model/unit.h"
#include "link/event_queue.h"

class QEvent;

namespace tessary::link {

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
