// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One console for each user and desktop: the first start listens, and a later start hands it the file it was
// asked to open (a second double-click, "Open with") and ends, instead of a second window that finds the
// machine's port taken.
#include <functional>
#include <memory>
#include <string>

namespace tessary::platform {

// Held by the first console for as long as it runs.
class InstanceListener {
  public:
    virtual ~InstanceListener() = default;
};

struct InstanceClaim {
    // Set when this start is the first: the listener that hears later starts.
    std::unique_ptr<InstanceListener> listener;
    // Set when a running console took this start's request: this one ends.
    bool handedOver = false;
};

// Each later start's request, on the listener's own thread: its file as UTF-8 (empty when it named none).
using InstanceRequest = std::function<void(const std::string& file)>;

// `key` tells consoles apart that must not meet (the desktop they run on; a test's own name). `file` is this
// start's file, an absolute path. Neither listener nor hand-over when the system refuses both: the console
// then runs alone, as before.
InstanceClaim claimInstance(const std::string& key, const std::string& file, InstanceRequest onRequest);

// The key of this desktop: the display the console's windows go to, where the system has several.
std::string desktopKey();

}  // namespace tessary::platform
