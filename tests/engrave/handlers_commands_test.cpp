// SPDX-License-Identifier: GPL-3.0-or-later
// The machine commands of the main window and the Setting window, byte for byte on the machine's end.
#include <QAbstractButton>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "app/shell/control_states.h"
#include "engrave/handlers/engrave_handlers.h"
#include "handlers_fixture.h"

namespace tessary::testing {
namespace {

using std::chrono::milliseconds;

TEST_F(ConsoleTest, EveryButtonSendsItsBytesThenLogsThenPauses) {
    start();
    struct Case {
        const char* button;
        Bytes bytes;
        const char* log;
        std::vector<milliseconds> pauses;
    };
    // Start comes last: it disables three of the buttons before it.
    const Case cases[] = {
        {main_window::kPause, {0xF2}, "Engraving pause !\r\n\r\n", {}},
        {main_window::kRestart, {0xF9}, "Restarting...\r\n\r\n", {}},
        {main_window::kRecarve, {0xFC, 0x77}, "Recarve\r\n\r\n", {}},
        {main_window::kFrameCarvingArea, {0xF4}, "Simulation Carving area\r\n\r\n", {}},
        {main_window::kFastBackward, {0xFC, 0x55}, "Fast backward for 15 row\r\n\r\n", {}},
        {main_window::kFastForward, {0xFC, 0xAA}, "Fast forward for 15 row\r\n\r\n", {}},
        {main_window::kToMiddle, {0xFB}, "To Middle of Image\r\n\r\n", {}},
        {main_window::kToLowerLeft, {0xF3}, "To Left Lower Corner\r\n\r\n", {}},
        {main_window::kJogUp, {0xF5}, "Laser movement:Up\r\n\r\n", {50ms}},
        {main_window::kJogDown, {0xF6}, "Laser movement:Down\r\n\r\n", {50ms}},
        {main_window::kJogLeft, {0xF7}, "Laser movement:Left\r\n\r\n", {50ms}},
        {main_window::kJogRight, {0xF8}, "Laser movement:Right\r\n\r\n", {50ms}},
        {main_window::kStart, {0xF1}, "Start carving\r\n\r\n", {}},
    };
    std::string logAtPause;
    clock.during = [&] { logAtPause = newLog(); };
    for (const Case& c : cases) {
        machine.clear();
        clock.pauses.clear();
        logAtPause.clear();
        click(c.button);
        EXPECT_EQ(machine.received(c.bytes.size()), c.bytes) << c.button;
        EXPECT_EQ(clock.pauses, c.pauses) << c.button;
        EXPECT_EQ(c.pauses.empty() ? newLog() : logAtPause, c.log)
            << c.button << ": the line comes before the pause";
    }
    machine.clear();
    click(main_window::kFastForward);
    click(main_window::kFastForward);
    EXPECT_EQ(machine.received(4), (Bytes{0xFC, 0xAA, 0xFC, 0xAA}));
}

TEST_F(ConsoleTest, ACommandThatDidNotGoOutSaysSoAndHasNoOtherEffect) {
    start();
    for (const char* unit : {main_window::kFastBackward, main_window::kFastForward, main_window::kRecarve})
        main().set(unit, prop::kDisabled, 1);
    std::vector<int> before;
    for (std::string_view unit : shell::kMachineControls)
        before.push_back(main().getInt(unit, prop::kDisabled));
    const std::string notSent = "Command not sent: the machine is not connected\r\n\r\n";
    // The machine is gone, and the window has not heard of it yet.
    machine.hangUp();
    for (const char* button :
         {main_window::kStart, main_window::kRestart, main_window::kPause, main_window::kFrameCarvingArea,
          main_window::kToMiddle, main_window::kToLowerLeft, main_window::kJogUp, main_window::kJogRight}) {
        click(button);
        EXPECT_EQ(newLog(), notSent) << button;
    }
    static_cast<qt::QtWindow&>(main()).raise(main_window::kBurningTime, event::kLeftUp, {});
    EXPECT_EQ(newLog(), notSent) << "burning time";
    EXPECT_TRUE(clock.pauses.empty()) << "no jog pause";
    std::vector<int> after;
    for (std::string_view unit : shell::kMachineControls)
        after.push_back(main().getInt(unit, prop::kDisabled));
    EXPECT_EQ(after, before) << "Start and Restart switched nothing";

    // Once the loss is noticed the port is closed; an arrow key still reaches the handler.
    ASSERT_TRUE(processUntil([&] { return !machinePortOpen(); }));
    newLog();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(static_cast<qt::QtWindow&>(main()).widget(), &press);
    EXPECT_EQ(newLog(), notSent);
    EXPECT_TRUE(clock.pauses.empty());
}

TEST_F(ConsoleTest, StartSwitchesToJobControlsAndRestartEnablesEverything) {
    start();
    for (const char* unit : {main_window::kFastBackward, main_window::kFastForward, main_window::kRecarve})
        main().set(unit, prop::kDisabled, 1);
    click(main_window::kStart);
    for (const char* unit : {main_window::kFastBackward, main_window::kFastForward, main_window::kRecarve,
                             main_window::kStart, main_window::kPause})
        EXPECT_TRUE(enabled(unit)) << unit;
    for (const char* unit :
         {main_window::kToLowerLeft, main_window::kFrameCarvingArea, main_window::kToMiddle})
        EXPECT_FALSE(enabled(unit)) << unit;
    click(main_window::kRestart);
    for (std::string_view unit : shell::kMachineControls) EXPECT_TRUE(enabled(unit)) << unit;
    EXPECT_EQ(machine.received(2), (Bytes{0xF1, 0xF9}));
}

TEST_F(ConsoleTest, ArrowKeysJogFromTheWindowAndFromAFocusedJogButton) {
    start();
    struct Case {
        const char* target;  // "" for the window itself
        int key;
        Qt::KeyboardModifiers modifiers;
        Bytes bytes;
        const char* log;
    };
    const Case cases[] = {
        {"", Qt::Key_Up, Qt::NoModifier, {0xF5}, "Laser movement:Up\r\n\r\n"},
        {"", Qt::Key_Down, Qt::NoModifier, {0xF6}, "Laser movement:Down\r\n\r\n"},
        {"", Qt::Key_Left, Qt::ShiftModifier, {0xF7}, "Laser movement:Left\r\n\r\n"},
        {"", Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier, {0xF8}, "Laser movement:Right\r\n\r\n"},
        {main_window::kJogUp, Qt::Key_Up, Qt::NoModifier, {0xF5}, "Laser movement:Up\r\n\r\n"},
        {main_window::kJogRight, Qt::Key_Left, Qt::ShiftModifier, {0xF7}, "Laser movement:Left\r\n\r\n"},
        {"", Qt::Key_A, Qt::NoModifier, {}, ""},
        {main_window::kJogDown, Qt::Key_A, Qt::NoModifier, {}, ""},
    };
    // The key handler does not look at the buttons: disabled jog buttons still jog from the window.
    for (const char* unit :
         {main_window::kJogUp, main_window::kJogDown, main_window::kJogLeft, main_window::kJogRight})
        main().set(unit, prop::kDisabled, 1);
    for (const Case& c : cases) {
        if (*c.target) main().set(c.target, prop::kDisabled, 0);
        QWidget* target = *c.target ? widget(c.target) : static_cast<qt::QtWindow&>(main()).widget();
        machine.clear();
        clock.pauses.clear();
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers);
        QApplication::sendEvent(target, &press);
        EXPECT_EQ(machine.received(c.bytes.size()), c.bytes) << c.target << " " << c.key;
        EXPECT_EQ(newLog(), c.log) << c.target << " " << c.key;
        EXPECT_EQ(clock.pauses.size(), c.bytes.size()) << "one 50 ms pause per jog";
    }
}

TEST_F(ConsoleTest, SliderShowsOnMouseMoveAndSendsOnRelease) {
    start();
    QWidget* slider = widget(main_window::kBurningTime);
    ASSERT_NE(slider, nullptr);
    std::string caption = "Burning time:60";
    for (int position : {1, 60, 240}) {
        machine.clear();
        main().set(main_window::kBurningTime, prop::slider::kPosition, position);
        EXPECT_EQ(main().getText(main_window::kBurningTimeLabel, prop::label::kCaption), caption)
            << "not shown before the mouse moves";
        const QPointF at(5, 5);
        QMouseEvent move(QEvent::MouseMove, at, slider->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(slider, &move);
        caption = "Burning time:" + std::to_string(position);
        EXPECT_EQ(main().getText(main_window::kBurningTimeLabel, prop::label::kCaption), caption);
        EXPECT_EQ(machine.received(), Bytes{}) << "moving sends nothing";
        QMouseEvent release(QEvent::MouseButtonRelease, at, slider->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(slider, &release);
        EXPECT_EQ(machine.received(1), Bytes{static_cast<std::uint8_t>(position)});
        EXPECT_EQ(newLog(), caption + "\r\n\r\n");
    }
}

TEST_F(ConsoleTest, SaveSendsTheStepPulseAndKeepsTheSettingWindowOpen) {
    start();
    const std::pair<const char*, Bytes> cases[] = {
        {"35", {0xFA, 0x23}}, {"300", {0xFA, 0x2C}}, {"256", {0xFA, 0x00}},
        {"", {0xFA, 0x00}},   {"-1", {0xFA, 0xFF}},  {"3-5", {0xFA, 0x03}},
    };
    bool ran = false;
    QTimer::singleShot(0, [&] {
        Window* setting = console->setting();
        ASSERT_NE(setting, nullptr);
        auto* save = qobject_cast<QAbstractButton*>(
            dynamic_cast<qt::QtUnit&>(setting->unit(setting_window::kSave)).widget());
        for (const auto& [text, bytes] : cases) {
            machine.clear();
            boxes.shown.clear();
            setting->set(setting_window::kStepPulse, prop::editbox::kContent, std::string(text));
            save->click();
            EXPECT_EQ(machine.received(bytes.size()), bytes) << '"' << text << '"';
            EXPECT_EQ(boxes.lines(), std::vector<std::string>{"Info: Saved! do not need save every time"});
            EXPECT_EQ(console->setting(), setting);
        }
        ran = true;
        dynamic_cast<qt::QtWindow*>(setting)->widget()->close();
    });
    click(main_window::kSetting);
    EXPECT_TRUE(ran);
    EXPECT_EQ(newLog(), "") << "Save logs nothing";
}

}  // namespace
}  // namespace tessary::testing
