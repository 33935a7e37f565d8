// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/lost_port_watch.h"

namespace tessary::link {

LostPortWatch::LostPortWatch(int portNumber, std::string identity)
    : portNumber_(portNumber), identity_(std::move(identity)), presence_(watchPortPresence(portNumber)) {}

bool LostPortWatch::deviceBack() {
    if (!presence_->changed() && ++sinceLook_ < kLookEvery) return false;
    const auto back = presence_->look(portNumber_, identity_);
    // A device that is there but cannot be opened yet (udev still setting its group) is looked at again soon.
    sinceLook_ = back ? kLookEvery - 1 : 0;
    if (back) portNumber_ = *back;
    return back.has_value();
}

}  // namespace tessary::link
