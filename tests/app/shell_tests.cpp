// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the control states, the Setting window and the version message on headless windows.
#include <gtest/gtest.h>

#include <map>

#include "app/console.h"
#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "app/shell/control_states.h"
#include "app/shell/shell_handlers.h"
#include "support/memory_window.h"
#include "support/test_services.h"

namespace tessary {
namespace {

using headless::MemoryWindow;

struct Write {
    std::string unit;
    int property;
    Value value;
    bool operator==(const Write&) const = default;
};

// A main window that records every property write its units take, in order.
class RecordingWindow : public Window {
  public:
    RecordingWindow(const WindowDef& def, Console& console) : inner_(def, console, {}) {}
    std::vector<Write> writes;
    MemoryWindow& inner() { return inner_; }

    const std::string& name() const override { return inner_.name(); }
    bool exists() const override { return inner_.exists(); }
    Unit* find(std::string_view unit) override {
        Unit* real = inner_.find(unit);
        if (!real) return nullptr;
        auto& proxy = proxies_[std::string(unit)];
        if (!proxy) proxy = std::make_unique<Proxy>(*this, *real);
        return proxy.get();
    }
    Unit& self() override { return inner_.self(); }
    void appendText(std::string_view unit, std::string_view text) override {
        writes.push_back({std::string(unit), -1, std::string(text)});
        inner_.appendText(unit, text);
    }
    DrawSurface& drawPanel(std::string_view unit) override { return inner_.drawPanel(unit); }
    bool attachDropTarget(std::string_view unit) override { return inner_.attachDropTarget(unit); }

  private:
    struct Proxy : Unit {
        Proxy(RecordingWindow& w, Unit& real) : w(w), real(real) {}
        Kind kind() const override { return real.kind(); }
        const std::string& name() const override { return real.name(); }
        void write(int p, const Value& v) override {
            w.writes.push_back({real.name(), p, v});
            real.write(p, v);
        }
        Value read(int p) const override { return real.read(p); }
        RecordingWindow& w;
        Unit& real;
    };
    MemoryWindow inner_;
    std::map<std::string, std::unique_ptr<Proxy>> proxies_;
};

class RecordingHost : public headless::MemoryWindowHost {
  public:
    std::unique_ptr<Window> create(const WindowDef& def, Console& console) override {
        if (&def != &mainWindowDefinition()) return MemoryWindowHost::create(def, console);
        auto w = std::make_unique<RecordingWindow>(def, console);
        main = w.get();
        return w;
    }
    RecordingWindow* main = nullptr;
};

class ShellTest : public ::testing::Test {
  protected:
    ShellTest() { registerShellHandlers(registry); }
    Console& start() {
        console = std::make_unique<Console>(clock, dialogs, host, registry);
        EXPECT_TRUE(console->createMainWindow(mainWindowDefinition()));
        return *console;
    }
    testing::ScriptedClock clock;
    testing::RecordingDialogs dialogs;
    RecordingHost host;
    HandlerRegistry registry;
    std::unique_ptr<Console> console;
};

std::vector<Write> controlStateWrites(int disabled) {
    std::vector<Write> w;
    for (std::string_view unit : shell::kMachineControls)
        w.push_back({std::string(unit), prop::kDisabled, disabled});
    return w;
}

TEST_F(ShellTest, ControlStatesSwitchExactlyTheTwentyMachineControlsInOrder) {
    Console& c = start();
    for (const int disabled : {0, 1}) {
        host.main->writes.clear();
        disabled ? shell::applyDisconnectedState(c) : shell::applyConnectedState(c);
        EXPECT_EQ(host.main->writes, controlStateWrites(disabled));
        for (std::string_view unit : shell::kMachineControls)
            EXPECT_EQ(c.main().getInt(unit, prop::kDisabled), disabled);
    }
    for (const char* untouched :
         {main_window::kConnect, main_window::kDisconnect, main_window::kComList, main_window::kLog,
          main_window::kBurningTimeLabel, main_window::kPreview, main_window::kMovementGroup}) {
        EXPECT_EQ(c.main().getInt(untouched, prop::kDisabled), 0) << untouched;
    }
}

TEST_F(ShellTest, StartUpRunsItsStepsInOrder) {
    std::vector<Write> atConnection;
    registry.add(std::string(shell::kAutomaticConnection),
                 [&](Console&, const EventArgs&) { atConnection = host.main->writes; });
    Console& c = start();
    EXPECT_EQ(host.visualStyle, 1);
    EXPECT_TRUE(host.main->inner().dropTargetAttached());

    std::vector<Write> expected = controlStateWrites(1);
    expected.push_back({main_window::kComList, prop::kVisible, 0});
    expected.push_back({main_window::kPort, prop::serial::kBaudRate, 57600});
    expected.push_back({main_window::kPort, prop::serial::kDataBits, 8});
    expected.push_back({main_window::kPort, prop::serial::kStopBits, 1});
    expected.push_back({main_window::kPort, prop::serial::kParityCheck, 0});
    for (std::string_view line : shell::kWelcomeLines)
        expected.push_back({main_window::kLog, -1, std::string(line)});
    EXPECT_EQ(atConnection, expected) << "the automatic connection comes last";
    EXPECT_EQ(host.main->writes, expected);
    EXPECT_EQ(c.main().getInt(main_window::kDisconnect, prop::kVisible), 1) << "Break stays shown";
    EXPECT_EQ(c.main().getInt(main_window::kPort, prop::serial::kBaudRate), 57600);
}

TEST_F(ShellTest, LogStartsWithTheThreeWelcomeLinesByteForByte) {
    Console& c = start();
    EXPECT_EQ(c.main().getText(main_window::kLog, prop::editbox::kContent),
              "        Welcome(^_^)\r\n\r\n"
              "Drag the picture to this window to start your engraving\r\n\r\n"
              "Tips:Optimal size of image is 500*500\r\n\r\n");
}

TEST_F(ShellTest, StartUpWithoutAConnectionHandlerDoesNotPretendToConnect) {
    Console& c = start();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(c.main().getInt(main_window::kComList, prop::kVisible), 0);
    EXPECT_EQ(c.main().getInt(main_window::kPort, prop::serial::kPortNumber), 1);
}

TEST_F(ShellTest, SettingWindowStartsFromItsDefinitionOnEachOpening) {
    Console& c = start();
    shell::applyConnectedState(c);
    std::vector<std::string> boxTexts;
    host.onModal = [&](Window& setting) {
        EXPECT_EQ(c.setting(), &setting);
        boxTexts.push_back(setting.getText(setting_window::kStepPulse, prop::editbox::kContent));
        setting.set(setting_window::kStepPulse, prop::editbox::kContent, std::string("200"));
        EXPECT_EQ(c.main().getText(main_window::kLog, prop::editbox::kContent).rfind("        Welcome", 0),
                  0u)
            << "the log and the step-pulse box are different units";
    };
    for (int i = 0; i < 2; ++i)
        static_cast<MemoryWindow&>(host.main->inner()).raise(main_window::kSetting, event::kClick, {});
    EXPECT_EQ(boxTexts, (std::vector<std::string>{"35", "35"}));
    EXPECT_EQ(c.setting(), nullptr);
}

TEST_F(ShellTest, VersionButtonShowsTheVersionMessageAndLogsNothing) {
    Console& c = start();
    const std::string log = c.main().getText(main_window::kLog, prop::editbox::kContent);
    host.onModal = [&](Window& setting) {
        static_cast<MemoryWindow&>(setting).raise(setting_window::kVersion, event::kClick, {});
    };
    host.main->inner().raise(main_window::kSetting, event::kClick, {});
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "Version 2.0.1");
    EXPECT_EQ(dialogs.shown[0].code, 0);
    const std::string& text = dialogs.shown[0].text;
    EXPECT_EQ(text.rfind("Any improvements or suggestions email to ", 0), 0u);
    EXPECT_NE(text.find('@'), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), " ^_^");
    EXPECT_EQ(c.main().getText(main_window::kLog, prop::editbox::kContent), log);
}

}  // namespace
}  // namespace tessary
