// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/model/window.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
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

void DrawSurface::plotMark(int x, int y, std::uint32_t colour) {
    image::Raster& r = pixels();
    const bool whole =
        r.rgb.size() >= static_cast<std::size_t>(std::max(r.width, 0)) * std::max(r.height, 0) * 3;
    if (x < 0 || y < 0 || x >= r.width || y >= r.height || !whole) return;
    std::uint8_t* px = r.at(x, y);
    px[0] = static_cast<std::uint8_t>(colour & 0xFF);
    px[1] = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
    px[2] = static_cast<std::uint8_t>((colour >> 16) & 0xFF);
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

std::int32_t Window::getInt(std::string_view unitName, int property) {
    return asInt(get(unitName, property));
}

std::string Window::getText(std::string_view unitName, int property) {
    return asText(get(unitName, property));
}

}  // namespace tessary
