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
    "按钮上",     "按钮下",   "按钮左",   "按钮右",   "按钮暂停", "按钮开始", "按钮框定位",
    "按钮点定位", "按钮发送数据", "按钮重启", "滑块条1",  "按钮高级", "按钮中心", "按钮快进",
    "按钮快退",   "按钮复位", "按钮放大", "按钮缩小", "按钮旋转", "按钮重载",
};

void applyConnectedState(Console& console);
void applyDisconnectedState(Console& console);

}  // namespace tessary::shell
