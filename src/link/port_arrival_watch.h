// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Watching for a machine plugged in after the start-up scan found none: a serial port that was not there at
// the scan (or has gone and come back since) is offered as soon as it shows. Like the lost port's watch, a
// tick looks only when the platform's sign of change says so, or now and then.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "link/lost_port_watch.h"

namespace tessary::link {

class PortArrivalWatch {
  public:
    // Ports 1 to lastPort, as the scan tried them; those there now are not offered.
    explicit PortArrivalWatch(int lastPort, std::unique_ptr<PortPresence> presence = watchPortPresence(1));

    // The ports to open, in their order, that have shown since the scan.
    std::vector<int> arrived();
    // It did not open: offered again on the next ticks (its permissions may still be being set), kTries times
    // in all, then passed over until it goes and comes back.
    void refused(int portNumber);

    static constexpr int kLookEvery = LostPortWatch::kLookEvery;
    static constexpr int kTries = 20;

  private:
    // The ports there now, by the device each names (port numbers may move as devices come and go).
    std::map<std::string, int> present() const;

    int lastPort_;
    std::unique_ptr<PortPresence> presence_;
    std::set<std::string> passedOver_;
    std::map<std::string, int> refusals_;
    int sinceLook_ = 0;
};

}  // namespace tessary::link
