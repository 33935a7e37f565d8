// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/port_arrival_watch.h"

#include <algorithm>

#include "link/com_ports.h"

namespace tessary::link {

PortArrivalWatch::PortArrivalWatch(int lastPort, std::unique_ptr<PortPresence> presence)
    : lastPort_(lastPort), presence_(std::move(presence)) {
    for (const auto& [device, n] : present()) passedOver_.insert(device);
}

std::map<std::string, int> PortArrivalWatch::present() const {
    std::map<std::string, int> ports;
    for (int n = 1; n <= lastPort_; ++n)
        if (presence_->look(n, {})) ports.emplace(resolveCom(n), n);
    return ports;
}

std::vector<int> PortArrivalWatch::arrived() {
    const bool waiting = !refusals_.empty();
    if (!presence_->changed() && !waiting && ++sinceLook_ < kLookEvery) return {};
    sinceLook_ = 0;
    const std::map<std::string, int> now = present();
    // A port that went is offered again when it comes back.
    std::erase_if(passedOver_, [&now](const std::string& device) { return !now.contains(device); });
    std::erase_if(refusals_, [&now](const auto& r) { return !now.contains(r.first); });
    std::vector<int> ports;
    for (const auto& [device, n] : now)
        if (!passedOver_.contains(device)) ports.push_back(n);
    std::sort(ports.begin(), ports.end());
    return ports;
}

void PortArrivalWatch::refused(int portNumber) {
    const std::string device = resolveCom(portNumber);
    if (++refusals_[device] < kTries) return;
    refusals_.erase(device);
    passedOver_.insert(device);
}

}  // namespace tessary::link
