#include "console/program_parts.h"

#include "app/shell/shell_handlers.h"
#include "image/files.h"
#include "link/serial_port.h"

namespace tessary {

// Each area's handler library exposes its register function.
void registerLinkHandlers(HandlerRegistry& registry);
void registerImageHandlers(HandlerRegistry& registry);
void registerEngraveHandlers(HandlerRegistry& registry);

void registerAllHandlers(HandlerRegistry& registry) {
    registerShellHandlers(registry);
    registerLinkHandlers(registry);
    registerImageHandlers(registry);
    registerEngraveHandlers(registry);
}

UnitFactory serialPortFactory() {
    return [](const UnitDef& def, EventSink& sink) -> std::unique_ptr<Unit> {
        return link::createSerialPortUnit(def.name, def.serialSettings, sink);
    };
}

std::string programRunDirectory() { return image::runDirectory(); }

}  // namespace tessary
