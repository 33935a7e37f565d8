// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opening a port can take the system long: Windows opens a Bluetooth link by calling its device, for many
// seconds when it is out of reach. The window thread waits for an open only so long.
#include <chrono>
#include <functional>
#include <memory>

#include "link/link_clock.h"
#include "link/port_device.h"

namespace tessary::link {

// How long an Open may take before it counts as failed.
inline constexpr std::chrono::milliseconds kOpenLimit{3000};

// Runs `open` on a thread of its own and waits for it at most `limit` by `clock`. A device that has not
// opened by then counts as one that did not open; when its opening ends after all, it is closed on that
// thread. nullptr also when `open` throws or no thread can be started.
std::unique_ptr<PortDevice> openWithin(std::chrono::milliseconds limit,
                                       std::function<std::unique_ptr<PortDevice>()> open,
                                       const LinkClock& clock = steadyLinkClock());

}  // namespace tessary::link
