// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shell/shell_handlers.h"

#include "app/definitions/definitions.h"
#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "app/shell/control_states.h"

namespace tessary {

namespace shell {

void onStartup(Console& console, const EventArgs& args) {
    console.applyVisualStyle(1);
    Window& main = console.main();
    main.attachDropTarget(main_window::kDropTarget);
    applyDisconnectedState(console);
    main.set(main_window::kComList, prop::kVisible, std::int32_t{0});
    main.set(main_window::kPort, prop::serial::kBaudRate, std::int32_t{57600});
    main.set(main_window::kPort, prop::serial::kDataBits, std::int32_t{8});
    main.set(main_window::kPort, prop::serial::kStopBits, std::int32_t{1});
    main.set(main_window::kPort, prop::serial::kParityCheck, std::int32_t{0});
    for (std::string_view line : kWelcomeLines) console.appendLog(line);
    if (const Handler* connect = console.handlers().find(kAutomaticConnection)) (*connect)(console, args);
}

void onOpenSetting(Console& console, const EventArgs&) { console.openModal(settingWindowDefinition()); }

void onShowVersion(Console& console, const EventArgs&) {
    console.dialogs().messageBox(kVersionText, 0, kVersionTitle);
}

}  // namespace shell

void registerShellHandlers(HandlerRegistry& registry) {
    registry.add("startup", shell::onStartup);
    registry.add("openSetting", shell::onOpenSetting);
    registry.add("showVersion", shell::onShowVersion);
}

}  // namespace tessary
