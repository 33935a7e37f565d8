// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Watching for a lost port's device to come back. Looking for the device costs a walk over the system's
// device tree, so a tick only checks a cheap sign that something changed where a returning device shows
// (link/posix: the folders of its node and of its COMn link; link/win32: the list of COM ports), and looks
// when it changed, or now and then in case a change was missed.
#include <memory>
#include <optional>
#include <string>

namespace tessary::link {

// One implementation per platform.
class PortPresence {
  public:
    virtual ~PortPresence() = default;
    // Whether anything changed where a returning device shows since the last call.
    virtual bool changed() = 0;
    // The port number under which the lost device (known by its deviceIdentity(), empty when it had none) is
    // there again; nullopt while it is not.
    virtual std::optional<int> look(int portNumber, const std::string& identity) = 0;
};
std::unique_ptr<PortPresence> watchPortPresence(int portNumber);

class LostPortWatch {
  public:
    // `identity` is the lost device's deviceIdentity(); empty when it had none.
    LostPortWatch(int portNumber, std::string identity);

    // True when a device is back: under the same COM port and, when the lost one had a USB identity, the
    // same adapter. Where the system numbers its ports itself (Windows), the same adapter under another COM
    // port counts too, and portNumber() then names that one.
    bool deviceBack();
    int portNumber() const { return portNumber_; }

    // Ticks between two looks when nothing changed.
    static constexpr int kLookEvery = 20;

  private:
    int portNumber_;
    std::string identity_;
    std::unique_ptr<PortPresence> presence_;
    int sinceLook_ = 0;
};

}  // namespace tessary::link
