// SPDX-License-Identifier: GPL-3.0-or-later
// A returning device shows as a change of the list of COM ports. Windows may give a returning adapter
// another COM number than before (a different USB socket, an adapter without a serial number): an adapter
// known by its identity is looked for under every port.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <vector>

#include "link/com_ports.h"
#include "link/lost_port_watch.h"
#include "link/win32/port_catalogue.h"

namespace tessary::link {
namespace {

// A walk over the device manager's ports serves until the list of ports changes, or this long.
constexpr auto kManagedPortsAge = std::chrono::seconds(5);

std::wstring widePath(int n) {
    const std::string path = comDevicePath(n);
    return std::wstring(path.begin(), path.end());
}

class ComList final : public PortPresence {
  public:
    explicit ComList(int watched)
        : last_(listSerialPorts()), watched_(watched), answered_(answers(watched)) {}

    // The list changes when a device comes or goes; a port no driver registered, whose name stays listed, is
    // asked each time instead.
    bool changed() override {
        std::vector<int> now = listSerialPorts();
        bool differs = now != last_;
        last_ = std::move(now);
        if (differs) managedAt_ = {};
        if (!managed().contains(watched_)) {
            const bool answers = this->answers(watched_);
            differs = differs || answers != answered_;
            answered_ = answers;
        }
        return differs;
    }

    std::optional<int> look(int portNumber, const std::string& identity) override {
        if (identity.empty()) {
            if (!listed(portNumber) || !deviceBehind(portNumber)) return std::nullopt;
            return portNumber;
        }
        const auto& identities = managed();
        if (auto same = identities.find(portNumber); same != identities.end() && same->second == identity)
            return portNumber;
        for (const auto& [n, id] : identities)
            if (id == identity && listed(n)) return n;
        return std::nullopt;
    }

  private:
    bool listed(int n) const { return std::find(last_.begin(), last_.end(), n) != last_.end(); }

    const std::map<int, std::string>& managed() {
        const auto now = std::chrono::steady_clock::now();
        if (now - managedAt_ > kManagedPortsAge) {
            managed_ = managedPorts();
            managedAt_ = now;
        }
        return managed_;
    }

    // A port the device manager lists has its device. One it does not (a port no driver registered, as every
    // port of wine is) is opened without access, which reaches no line, to see whether a device answers.
    bool deviceBehind(int n) { return managed().contains(n) || answers(n); }

    static bool answers(int n) {
        HANDLE handle = ::CreateFileW(widePath(n).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        const bool device = ::GetFileType(handle) == FILE_TYPE_CHAR;
        ::CloseHandle(handle);
        return device;
    }

    std::vector<int> last_;
    int watched_;
    bool answered_;
    std::map<int, std::string> managed_;
    std::chrono::steady_clock::time_point managedAt_{};
};

}  // namespace

std::unique_ptr<PortPresence> watchPortPresence(int portNumber) {
    return std::make_unique<ComList>(portNumber);
}

}  // namespace tessary::link
