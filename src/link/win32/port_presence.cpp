// SPDX-License-Identifier: GPL-3.0-or-later
// A returning device shows as a change of the list of COM ports. Windows may give a returning adapter
// another COM number than before (a different USB socket, an adapter without a serial number): an adapter
// known by its identity is looked for under every port.
#include <algorithm>
#include <vector>

#include "link/lost_port_watch.h"
#include "link/win32/port_catalogue.h"

namespace tessary::link {
namespace {

class ComList final : public PortPresence {
  public:
    ComList() : last_(listSerialPorts()) {}

    bool changed() override {
        std::vector<int> now = listSerialPorts();
        const bool differs = now != last_;
        last_ = std::move(now);
        return differs;
    }

    std::optional<int> look(int portNumber, const std::string& identity) override {
        const std::vector<int> ports = listSerialPorts();
        if (identity.empty()) {
            if (std::find(ports.begin(), ports.end(), portNumber) == ports.end()) return std::nullopt;
            return portNumber;
        }
        const auto identities = portIdentities();
        if (auto same = identities.find(portNumber); same != identities.end() && same->second == identity)
            return portNumber;
        for (const auto& [n, id] : identities)
            if (id == identity) return n;
        return std::nullopt;
    }

  private:
    std::vector<int> last_;
};

}  // namespace

std::unique_ptr<PortPresence> watchPortPresence(int) { return std::make_unique<ComList>(); }

}  // namespace tessary::link
