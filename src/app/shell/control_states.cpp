// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shell/control_states.h"

#include "app/console.h"
#include "app/model/properties.h"

namespace tessary::shell {

namespace {
void setAllDisabled(Console& console, bool disabled) {
    Window& main = console.main();
    for (std::string_view unit : kMachineControls)
        main.set(unit, prop::kDisabled, std::int32_t{disabled ? 1 : 0});
}
}  // namespace

void applyConnectedState(Console& console) { setAllDisabled(console, false); }
void applyDisconnectedState(Console& console) { setAllDisabled(console, true); }

}  // namespace tessary::shell
