#include "app/model/window.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/model/properties.h"

namespace tessary {

namespace {
std::atomic<ProgramErrorHandler> errorHandler{nullptr};
}

void setProgramErrorHandler(ProgramErrorHandler handler) { errorHandler.store(handler); }

void programError(std::string_view message) {
    std::fprintf(stderr, "tessary: program error: %.*s\n", static_cast<int>(message.size()), message.data());
    if (ProgramErrorHandler handler = errorHandler.load()) handler(message);
    std::fflush(nullptr);
    // Windows and ports are not released one by one here: the process ends at once, as the error demands.
    std::_Exit(-1);
}

Unit& Window::unit(std::string_view name) {
    Unit* u = find(name);
    if (!u) {
        programError("the window \"" + this->name() + "\" has no unit \"" + std::string(name) + "\"");
    }
    return *u;
}

namespace {
void requireWindow(Window& w, std::string_view unit, int property) {
    if (property >= 8 && !w.exists()) {
        programError("property " + std::to_string(property) + " of \"" + std::string(unit) +
                     "\" used while its window does not exist");
    }
}
}  // namespace

void Window::set(std::string_view unitName, int property, const Value& value) {
    Unit& u = unit(unitName);
    requireWindow(*this, unitName, property);
    u.write(property, value);
}

Value Window::get(std::string_view unitName, int property) {
    Unit& u = unit(unitName);
    requireWindow(*this, unitName, property);
    return u.read(property);
}

std::int32_t Window::getInt(std::string_view unitName, int property) { return asInt(get(unitName, property)); }

std::string Window::getText(std::string_view unitName, int property) { return asText(get(unitName, property)); }

}  // namespace tessary
