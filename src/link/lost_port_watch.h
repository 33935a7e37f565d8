// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Watching for a lost port's device to come back. Each look at the device resolves COMn and reads sysfs, so
// a tick only stats the folders where a returning device appears (its node in /dev, its link in the port
// folder) and looks when one of them changed, or now and then in case a change was missed.
#include <ctime>
#include <string>
#include <vector>

namespace tessary::link {

class LostPortWatch {
  public:
    // `identity` is the lost device's usbIdentity; empty when it had none.
    LostPortWatch(int portNumber, std::string identity, std::vector<std::string> folders = {"/dev"});

    // True when COMn names a device again and, when the lost one had a USB identity, the same device.
    bool deviceBack();
    int portNumber() const { return portNumber_; }

    // Ticks between two looks when no folder changed.
    static constexpr int kLookEvery = 20;

  private:
    struct Stamp {
        timespec mtime{};
        bool present = false;
    };
    std::vector<Stamp> stamps() const;
    bool look() const;

    int portNumber_;
    std::string identity_;
    std::vector<std::string> folders_;
    std::vector<Stamp> last_;
    int sinceLook_ = 0;
};

}  // namespace tessary::link
