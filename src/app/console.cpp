// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/console.h"

#include <cstdio>
#include <exception>

#include "app/definitions/unit_names.h"
#include "app/model/window_def.h"

namespace tessary {

void HandlerRegistry::add(std::string id, Handler handler) { handlers_[std::move(id)] = std::move(handler); }

const Handler* HandlerRegistry::find(std::string_view id) const {
    const auto it = handlers_.find(id);
    return it != handlers_.end() ? &it->second : nullptr;
}

Console::Console(Clock& clock, Dialogs& dialogs, WindowHost& host, const HandlerRegistry& handlers)
    : clock_(clock), dialogs_(dialogs), host_(host), handlers_(handlers) {}

Console::~Console() {
    // The windows go before the program-wide state that their handlers use.
    mainWindowGone_ = nullptr;
    destroyPending_ = false;
    dispatchDepth_ = 0;
    destroyMainWindow();
}

Window& Console::main() {
    if (!main_) programError("the main window does not exist");
    return *main_;
}

void Console::appendLog(std::string_view text) { main().appendText(main_window::kLog, text); }

bool Console::createMainWindow(const WindowDef& def) {
    if (main_) return false;
    main_ = host_.create(def, *this);
    if (!main_) return false;
    mainDef_ = &def;
    host_.show(*main_);
    dispatch(def, "", event::kCreated, {});
    return true;
}

Window* Console::openWindow(const WindowDef& def) {
    if (Window* open = window(def.name)) {
        host_.showInFront(*open);
        return open;
    }
    std::unique_ptr<Window> created = host_.create(def, *this);
    if (!created) return nullptr;
    Window* w = created.get();
    windows_.push_back({std::move(created), &def, false});
    dispatch(def, "", event::kCreated, {});
    if (window(def.name) == w) host_.showInFront(*w);
    return window(def.name);
}

Window* Console::window(std::string_view name) {
    for (const Open& o : windows_)
        if (!o.closing && o.window->name() == name) return o.window.get();
    return nullptr;
}

void Console::closeWindow(Window& window) {
    for (Open& o : windows_)
        if (o.window.get() == &window && !o.closing) {
            o.closing = true;
            dispatch(*o.def, "", event::kDestroying, {});
        }
    if (dispatchDepth_ == 0) destroyClosedWindows();
}

void Console::destroyClosedWindows() {
    std::erase_if(windows_, [](const Open& o) { return o.closing; });
}

void Console::destroyMainWindow() {
    if (!main_ || destroying_) return;
    if (dispatchDepth_ > 0) {
        destroyPending_ = true;
        return;
    }
    for (Open& o : windows_)
        if (!o.closing) closeWindow(*o.window);
    destroyClosedWindows();
    destroying_ = true;
    dispatch(*mainDef_, "", event::kDestroying, {});
    main_.reset();
    mainDef_ = nullptr;
    destroyPending_ = false;
    destroying_ = false;
    if (mainWindowGone_) mainWindowGone_();
}

void Console::openModal(const WindowDef& def) {
    std::unique_ptr<Window> window = host_.create(def, *this);
    if (!window) return;
    Window* previous = setting_;
    setting_ = window.get();
    dispatch(def, "", event::kCreated, {});
    host_.runModal(*window);
    dispatch(def, "", event::kDestroying, {});
    setting_ = previous;
}

void Console::dispatch(const WindowDef& def, const std::string& unit, int event, const EventArgs& args) {
    if (const std::string* id = def.handlerFor(unit, event)) run(*id, args);
}

void Console::run(const std::string& id, const EventArgs& args) {
    const Handler* handler = handlers_.find(id);
    if (!handler) return;
    ++dispatchDepth_;
    try {
        (*handler)(*this, args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessary: handler \"%s\" failed: %s\n", id.c_str(), e.what());
    } catch (...) {
        std::fprintf(stderr, "tessary: handler \"%s\" failed\n", id.c_str());
    }
    --dispatchDepth_;
    if (dispatchDepth_ == 0) destroyClosedWindows();
    if (dispatchDepth_ == 0 && destroyPending_) destroyMainWindow();
}

}  // namespace tessary
