// SPDX-License-Identifier: GPL-3.0-or-later
// Dispatch of bound events to handlers, and the lifecycle of the main and modal windows.
#include <gtest/gtest.h>

#include "app/console.h"
#include "app/model/properties.h"
#include "support/memory_window.h"
#include "support/program_run.h"
#include "support/test_services.h"

namespace tessary {
namespace {

using headless::MemoryWindow;
using headless::MemoryWindowHost;
using testing::exitStatusOf;

WindowDef testWindow() {
    WindowDef def;
    def.name = "test";
    def.clientWidth = 100;
    def.clientHeight = 100;
    def.events = {{event::kCreated, "created"}, {event::kDestroying, "destroying"}};
    UnitDef button;
    button.name = "b";
    button.kind = Kind::Button;
    button.events = {{event::kClick, "clicked"}, {event::kKeyDown, "unregistered"}};
    def.units.push_back(button);
    return def;
}

class ConsoleTest : public ::testing::Test {
  protected:
    void add(const std::string& id) {
        registry.add(id, [this, id](Console&, const EventArgs& a) {
            calls.push_back(id + ":" + std::to_string(a.a));
        });
    }
    const WindowDef def = testWindow();
    testing::ScriptedClock clock;
    testing::RecordingDialogs dialogs;
    MemoryWindowHost host;
    HandlerRegistry registry;
    std::vector<std::string> calls;
};

TEST_F(ConsoleTest, CreatedEventRunsOnceTheWindowIsShown) {
    registry.add("created", [this](Console& c, const EventArgs&) {
        calls.push_back("created");
        EXPECT_TRUE(c.hasMainWindow());
        EXPECT_EQ(host.shown, std::vector<std::string>{"test"});
    });
    Console console(clock, dialogs, host, registry);
    ASSERT_TRUE(console.createMainWindow(def));
    EXPECT_EQ(calls, std::vector<std::string>{"created"});
}

TEST_F(ConsoleTest, MainWindowThatCannotBeCreatedIsReported) {
    host.failCreation = true;
    Console console(clock, dialogs, host, registry);
    EXPECT_FALSE(console.createMainWindow(def));
    EXPECT_FALSE(console.hasMainWindow());
}

TEST_F(ConsoleTest, DispatchCallsOnlyBoundAndRegisteredHandlers) {
    add("clicked");
    Console console(clock, dialogs, host, registry);
    ASSERT_TRUE(console.createMainWindow(def));
    auto& window = static_cast<MemoryWindow&>(console.main());
    window.raise("b", event::kClick, {7, 0, 0, {}});
    window.raise("b", event::kLeftUp, {});                 // not bound
    window.raise("b", event::kKeyDown, {0x26, 0, 0, {}});  // bound to an id nobody registered
    window.raise("nosuchunit", event::kClick, {});
    EXPECT_EQ(calls, std::vector<std::string>{"clicked:7"});
}

TEST_F(ConsoleTest, NothingEscapesAFailingHandler) {
    registry.add("clicked", [](Console&, const EventArgs&) { throw std::runtime_error("broken"); });
    registry.add("destroying", [](Console&, const EventArgs&) { throw 42; });
    Console console(clock, dialogs, host, registry);
    ASSERT_TRUE(console.createMainWindow(def));
    EXPECT_NO_THROW(static_cast<MemoryWindow&>(console.main()).raise("b", event::kClick, {}));
    EXPECT_NO_THROW(console.destroyMainWindow());
    EXPECT_FALSE(console.hasMainWindow());
}

TEST_F(ConsoleTest, DestroyingRaisesItsEventWhileTheWindowStillExists) {
    bool gone = false;
    registry.add("destroying", [&](Console& c, const EventArgs&) {
        EXPECT_TRUE(c.main().exists());
        EXPECT_FALSE(gone);
        calls.push_back("destroying");
    });
    Console console(clock, dialogs, host, registry);
    console.setMainWindowGone([&] { gone = true; });
    ASSERT_TRUE(console.createMainWindow(def));
    console.destroyMainWindow();
    EXPECT_EQ(calls, std::vector<std::string>{"destroying"});
    EXPECT_TRUE(gone);
    EXPECT_FALSE(console.hasMainWindow());
}

TEST_F(ConsoleTest, ClosingDuringAHandlerWaitsUntilTheHandlerReturns) {
    registry.add("clicked", [this](Console& c, const EventArgs&) {
        c.destroyMainWindow();
        EXPECT_TRUE(c.hasMainWindow()) << "the handler still works on its window";
        c.main().set("b", prop::button::kCaption, std::string("still here"));
        calls.push_back("clicked");
    });
    add("destroying");
    Console console(clock, dialogs, host, registry);
    ASSERT_TRUE(console.createMainWindow(def));
    static_cast<MemoryWindow&>(console.main()).raise("b", event::kClick, {});
    EXPECT_EQ(calls, (std::vector<std::string>{"clicked", "destroying:0"}));
    EXPECT_FALSE(console.hasMainWindow());
}

TEST_F(ConsoleTest, ProgramWideStateLivesAsLongAsTheConsole) {
    struct Counter {
        int n = 0;
    };
    Console console(clock, dialogs, host, registry);
    EXPECT_EQ(console.state<Counter>().n, 0);
    console.state<Counter>().n = 5;
    EXPECT_EQ(console.state<Counter>().n, 5);
    EXPECT_EQ(console.state<std::string>(), "");
}

TEST_F(ConsoleTest, ModalWindowIsFreshOnEachOpeningAndGoneAfterwards) {
    const WindowDef modal = testWindow();
    Console console(clock, dialogs, host, registry);
    ASSERT_TRUE(console.createMainWindow(def));
    std::vector<Window*> seen;
    host.onModal = [&](Window& w) {
        ASSERT_EQ(console.setting(), &w);
        EXPECT_EQ(w.getText("b", prop::button::kCaption), "");
        w.set("b", prop::button::kCaption, std::string("changed"));
        seen.push_back(&w);
    };
    console.openModal(modal);
    console.openModal(modal);
    EXPECT_EQ(host.modalRuns, 2);
    EXPECT_EQ(console.setting(), nullptr);
}

using ConsoleDeathTest = ConsoleTest;

TEST_F(ConsoleDeathTest, UnknownUnitEndsTheProgramWithMinusOne) {
    Console console(clock, dialogs, host, registry);
    ASSERT_TRUE(console.createMainWindow(def));
    EXPECT_EXIT(console.main().set("noSuchUnit", prop::kVisible, 0),
                ::testing::ExitedWithCode(exitStatusOf(-1)), "noSuchUnit");
    EXPECT_EXIT(console.main().getInt("nope", prop::kLeft), ::testing::ExitedWithCode(exitStatusOf(-1)),
                "no unit");
}

TEST_F(ConsoleDeathTest, KindPropertyOfAWindowThatIsGoneEndsTheProgram) {
    Console console(clock, dialogs, host, registry);
    MemoryWindow window(def, console, {});
    window.destroy();
    window.set("b", prop::kLeft, 5);  // common properties are only stored
    EXPECT_EXIT(window.set("b", prop::button::kCaption, std::string("x")),
                ::testing::ExitedWithCode(exitStatusOf(-1)), "does not exist");
}

}  // namespace
}  // namespace tessary
