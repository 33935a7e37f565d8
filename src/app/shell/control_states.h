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
    main_window::kJogUp,
    main_window::kJogDown,
    main_window::kJogLeft,
    main_window::kJogRight,
    main_window::kPause,
    main_window::kStart,
    main_window::kFrameCarvingArea,
    main_window::kToLowerLeft,
    main_window::kUploadImage,
    main_window::kRestart,
    main_window::kBurningTime,
    main_window::kSetting,
    main_window::kToMiddle,
    main_window::kFastForward,
    main_window::kFastBackward,
    main_window::kRecarve,
    main_window::kZoomIn,
    main_window::kZoomOut,
    main_window::kRotate,
    main_window::kReload,
};

void applyConnectedState(Console& console);
void applyDisconnectedState(Console& console);

}  // namespace tessary::shell
