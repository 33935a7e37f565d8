// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/definitions/unit_names.h"
#pragma once
// The two control states: the twenty machine controls of the main window all enabled or all disabled,
// always switched in the same order, and nothing else touched.
#include <array>
#include <string_view>

namespace tessary {
class Console;
}

namespace tessary::shell {

inline constexpr std::array<std::string_view, 20> kMachineControls = {
    unit::按钮上,   unit::按钮下,     unit::按钮左,     unit::按钮右,       unit::按钮暂停,
    unit::按钮开始, unit::按钮框定位, unit::按钮点定位, unit::按钮发送数据, unit::按钮重启,
    unit::滑块条1,  unit::按钮高级,   unit::按钮中心,   unit::按钮快进,     unit::按钮快退,
    unit::按钮复位, unit::按钮放大,   unit::按钮缩小,   unit::按钮旋转,     unit::按钮重载,
};

void applyConnectedState(Console& console);
void applyDisconnectedState(Console& console);

}  // namespace tessary::shell
