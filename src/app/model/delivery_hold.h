// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// While a handler keeps the window thread in a pause or a long write, the window goes on painting, but no
// received data may reach a handler before that handler has finished. Event sources on the window thread
// check active() and, while it holds, ask to be resumed instead of delivering.
#include <functional>

namespace tessary {

class DeliveryHold {
  public:
    DeliveryHold();
    // The last hold to end runs the resume requests, in the order they were made.
    ~DeliveryHold();
    DeliveryHold(const DeliveryHold&) = delete;
    DeliveryHold& operator=(const DeliveryHold&) = delete;

    static bool active();
    // Runs `resume` when the last hold ends, or at once when none holds. Window thread only.
    static void whenReleased(std::function<void()> resume);
};

}  // namespace tessary
