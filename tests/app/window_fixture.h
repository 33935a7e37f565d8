// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real Qt windows of the console on the offscreen platform, with recording services.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <memory>

#include "app/console.h"
#include "app/definitions/definitions.h"
#include "app/qt/qt_kinds.h"
#include "app/qt/qt_window.h"
#include "app/qt/qt_window_host.h"
#include "app/shell/shell_handlers.h"
#include "support/test_services.h"

namespace tessary::testing {

class WindowTest : public ::testing::Test {
  protected:
    WindowTest() { registerShellHandlers(registry); }
    ~WindowTest() override {
        console.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Records the calls of a handler id as "id:a".
    void record(const std::string& id) {
        registry.add(id, [this, id](Console&, const EventArgs& a) {
            calls.push_back(id + ":" + std::to_string(a.a));
        });
    }
    Console& start() {
        console = std::make_unique<Console>(clock, dialogs, host, registry);
        EXPECT_TRUE(console->createMainWindow(mainWindowDefinition()));
        QCoreApplication::processEvents();
        return *console;
    }
    qt::QtWindow& mainWindow() { return dynamic_cast<qt::QtWindow&>(console->main()); }
    QWidget* mainWidget() { return mainWindow().widget(); }
    qt::QtUnit& unit(std::string_view name, Window* window = nullptr) {
        Window& w = window ? *window : console->main();
        auto* u = dynamic_cast<qt::QtUnit*>(w.find(name));
        EXPECT_NE(u, nullptr) << name;
        return *u;
    }
    template <class W>
    W* widget(std::string_view name, Window* window = nullptr) {
        auto* w = qobject_cast<W*>(unit(name, window).widget());
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    ScriptedClock clock;
    RecordingDialogs dialogs;
    qt::QtWindowHost host;
    HandlerRegistry registry;
    std::unique_ptr<Console> console;
    std::vector<std::string> calls;
};

}  // namespace tessary::testing
