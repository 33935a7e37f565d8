// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/program_parts.h"

#include <filesystem>

#include "app/model/window_def.h"
#include "app/shell/shell_handlers.h"
#include "engrave/handlers/engrave_handlers.h"
#include "engrave/handlers/job_guard.h"
#include "image/files.h"
#include "link/handlers/link_handlers.h"
#include "link/serial_port.h"
#include "platform/paths.h"
#include "platform/user_folders.h"

namespace tessary {

// Each area's handler library exposes its register function.
void registerLinkHandlers(HandlerRegistry& registry);
void registerIntakeHandlers(HandlerRegistry& registry);
void registerEngraveHandlers(HandlerRegistry& registry);

void registerAllHandlers(HandlerRegistry& registry) {
    registerShellHandlers(registry);
    registerLinkHandlers(registry);
    registerIntakeHandlers(registry);
    registerEngraveHandlers(registry);
    // A machine gone (lost or broken off) is the link's news first, then the running job's bar's.
    for (const char* id : {"connectionLost", "disconnect"}) {
        const Handler* link = registry.find(id);
        if (!link) continue;
        registry.add(id, [linkHandler = *link](Console& console, const EventArgs& args) {
            linkHandler(console, args);
            engrave::onMachineGone(console);
        });
    }
    registry.add(std::string(link::kConnectedHandler), engrave::onMachineBack);
    // While the machine carves, a change of the preview first asks.
    for (const char* id :
         {"takeInPicture", "openPicture", "rotate", "zoomOut", "zoomIn", "reload", "takeInTypedText"}) {
        const Handler* change = registry.find(id);
        if (!change) continue;
        registry.add(id, [changeHandler = *change](Console& console, const EventArgs& args) {
            if (engrave::mayChangePreview(console)) changeHandler(console, args);
        });
    }
}

UnitFactory serialPortFactory() {
    return [](const UnitDef& def, EventSink& sink) -> std::unique_ptr<Unit> {
        return link::createSerialPortUnit(def.name, def.serialSettings, sink);
    };
}

void takeInAtStart(Console& console, const WindowDef& mainWindow, const std::string& path) {
    if (!console.hasMainWindow() || path.empty()) return;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(platform::pathFromText(path), error);
    const std::string absoluteText = platform::textFromPath(absolute);
    EventArgs drop;
    drop.text = error || absoluteText.empty() ? path : absoluteText;
    for (const UnitDef& unit : mainWindow.units) {
        if (unit.kind != Kind::DropTarget) continue;
        console.dispatch(mainWindow, unit.name, event::kFilesDropped, drop);
        return;
    }
}

std::string programRunDirectory() { return platform::runDirectory(); }

}  // namespace tessary
