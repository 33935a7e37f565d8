// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The console context every handler works on. Handlers are plain functions
//     void onSomething(Console&, const EventArgs&);
// that reach controls only through the property model (main().set(...), main().get(...)),
// and time, message boxes and windows only through the services below.
//
// The part of this header that handlers use (marked "handler API") is shared by every subsystem;
// the lifecycle part belongs to the shell and the window layer.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <typeindex>
#include <unordered_map>
#include <vector>

#include "app/model/service_interfaces.h"
#include "app/model/unit.h"
#include "app/model/window.h"

namespace tessary {

class Console;
struct WindowDef;

using Handler = std::function<void(Console&, const EventArgs&)>;

// Handler ids (the names used in the window definitions' bindings) to functions.
class HandlerRegistry {
  public:
    void add(std::string id, Handler handler);
    const Handler* find(std::string_view id) const;
    bool contains(std::string_view id) const { return find(id) != nullptr; }

  private:
    std::map<std::string, Handler, std::less<>> handlers_;
};

// Creates windows from definitions and runs modal windows; realised by the Qt layer.
class WindowHost {
  public:
    virtual ~WindowHost() = default;
    // Returns nullptr when the window cannot be created.
    virtual std::unique_ptr<Window> create(const WindowDef& def, Console& console) = 0;
    // Shows the window modally (other windows of the program disabled) and returns when it is closed.
    virtual void runModal(Window& window) = 0;
    // Shows a window created for modeless use (the main window).
    virtual void show(Window& window) { (void)window; }
    // Shows another modeless window, in front, with the focus on its first control.
    virtual void showInFront(Window& window) { show(window); }
    // Switches the standard controls of every window, present and future, to a visual style (1 to 3).
    virtual void applyVisualStyle(int style) { (void)style; }
};

class Console {
  public:
    Console(Clock& clock, Dialogs& dialogs, WindowHost& host, const HandlerRegistry& handlers);
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // ---- handler API ----
    Window& main();
    Window* setting() { return setting_; }  // the Setting window while it is open
    Clock& clock() { return clock_; }
    Dialogs& dialogs() { return dialogs_; }
    Settings& settings() { return *settings_; }
    const std::string& runDirectory() const { return runDirectory_; }
    // Program-wide state of a subsystem: created (value-initialised) on first use, released with the console.
    template <class T>
    T& state();
    // Creates the window from its definition, shows it modally, destroys it when it is closed.
    void openModal(const WindowDef& def);
    // Creates the window and shows it beside the main window (not modal), or brings it to the front when it
    // is open already. It lives until it is closed or the main window goes.
    Window* openWindow(const WindowDef& def);
    // The open window of that definition's name, else nullptr.
    Window* window(std::string_view name);
    // Raises the window's about-to-be-destroyed event and destroys it, once the running handler has returned.
    void closeWindow(Window& window);
    void appendLog(std::string_view text);  // main window's log pane
    void applyVisualStyle(int style) { host_.applyVisualStyle(style); }

    // ---- lifecycle (shell and window layer) ----
    // Creates and shows the main window, then raises its created event. False when it cannot be created.
    bool createMainWindow(const WindowDef& def);
    // Raises the main window's about-to-be-destroyed event and destroys it; while a handler runs, this
    // happens as soon as the outermost handler returns.
    void destroyMainWindow();
    // Called once the main window has been destroyed (the program's message loop ends then).
    void setMainWindowGone(std::function<void()> callback) { mainWindowGone_ = std::move(callback); }
    // Asked when the operator closes the main window: false keeps it open (a job the operator may want to
    // look after). Closes that the program itself makes (the session's end) do not ask.
    void setMainWindowCloseCheck(std::function<bool()> check) { mayCloseMain_ = std::move(check); }
    bool mayCloseMainWindow() { return !mayCloseMain_ || mayCloseMain_(); }
    bool hasMainWindow() const { return main_ != nullptr; }
    void setRunDirectory(std::string dir) { runDirectory_ = std::move(dir); }
    // Where settings persist; until set, they last for the run only.
    void setSettings(Settings& settings) { settings_ = &settings; }
    // Calls the handler bound to (window, unit, event); nothing escapes it.
    void dispatch(const WindowDef& def, const std::string& unit, int event, const EventArgs& args);
    // Runs the handler registered under `id` as an event would (a notice's button names its handler).
    void run(const std::string& id, const EventArgs& args);
    const HandlerRegistry& handlers() const { return handlers_; }

  private:
    struct StateSlot {
        std::shared_ptr<void> object;
    };
    Clock& clock_;
    Dialogs& dialogs_;
    WindowHost& host_;
    const HandlerRegistry& handlers_;
    std::unique_ptr<Window> main_;
    const WindowDef* mainDef_ = nullptr;
    Window* setting_ = nullptr;
    int dispatchDepth_ = 0;
    bool destroyPending_ = false;
    bool destroying_ = false;
    std::function<void()> mainWindowGone_;
    std::string runDirectory_;
    MemorySettings runSettings_;
    Settings* settings_ = &runSettings_;
    // Hashed, not ordered: on Windows the C++ runtime orders types from anonymous namespaces inconsistently
    // with the others (type_info::before), which could hand one subsystem's state to another.
    std::unordered_map<std::type_index, StateSlot> states_;
    std::function<bool()> mayCloseMain_;
    struct Open {
        std::unique_ptr<Window> window;
        const WindowDef* def = nullptr;
        bool closing = false;
    };
    std::vector<Open> windows_;
    void destroyClosedWindows();
};

template <class T>
T& Console::state() {
    auto& slot = states_[std::type_index(typeid(T))];
    if (!slot.object) slot.object = std::make_shared<T>();
    return *static_cast<T*>(slot.object.get());
}

}  // namespace tessary
