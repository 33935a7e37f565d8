#include "app/program_parts.h"

#include <unistd.h>

#include <climits>
#include <filesystem>

#include "app/model/window_def.h"
#include "app/shell/shell_handlers.h"

#ifdef TESSARY_HAVE_LINK
#include "link/serial_port.h"
#endif
#ifdef TESSARY_HAVE_IMAGE
#include "image/files.h"
#endif

namespace tessary {

// Each handler library exposes its register function; a library that is not built yet is left out.
void registerLinkHandlers(HandlerRegistry& registry);
void registerImageHandlers(HandlerRegistry& registry);
void registerEngraveHandlers(HandlerRegistry& registry);

void registerAllHandlers(HandlerRegistry& registry) {
    registerShellHandlers(registry);
#ifdef TESSARY_HAVE_LINK_HANDLERS
    registerLinkHandlers(registry);
#endif
#ifdef TESSARY_HAVE_IMAGE_HANDLERS
    registerImageHandlers(registry);
#endif
#ifdef TESSARY_HAVE_ENGRAVE_HANDLERS
    registerEngraveHandlers(registry);
#endif
}

BuiltInParts builtInParts() {
    BuiltInParts parts;
#ifdef TESSARY_HAVE_LINK
    parts.serialPort = true;
#endif
#ifdef TESSARY_HAVE_LINK_HANDLERS
    parts.linkHandlers = true;
#endif
#ifdef TESSARY_HAVE_IMAGE_HANDLERS
    parts.imageHandlers = true;
#endif
#ifdef TESSARY_HAVE_ENGRAVE_HANDLERS
    parts.engraveHandlers = true;
#endif
    return parts;
}

UnitFactory serialPortFactory() {
#ifdef TESSARY_HAVE_LINK
    return [](const UnitDef& def, EventSink& sink) -> std::unique_ptr<Unit> {
        return link::createSerialPortUnit(def.name, def.serialSettings, sink);
    };
#else
    return {};
#endif
}

void takeInAtStart(Console& console, const WindowDef& mainWindow, const std::string& path) {
    if (!console.hasMainWindow() || path.empty()) return;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    EventArgs drop;
    drop.text = error ? path : absolute.string();
    for (const UnitDef& unit : mainWindow.units) {
        if (unit.kind != Kind::DropTarget) continue;
        console.dispatch(console.main(), mainWindow, unit.name, event::kFilesDropped, drop);
        return;
    }
}

std::string programRunDirectory() {
#ifdef TESSARY_HAVE_IMAGE
    return image::runDirectory();
#else
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string exe(path, static_cast<std::size_t>(n));
    const auto slash = exe.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : exe.substr(0, slash);
#endif
}

}  // namespace tessary
