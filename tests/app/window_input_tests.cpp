// SPDX-License-Identifier: GPL-3.0-or-later
// Input reaching the handlers through the real widgets: keys, mouse, drops, the modal Setting window,
// and the termination signals.
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "app/qt/qt_services.h"
#include "app/qt/termination.h"
#include "app/qt/virtual_keys.h"
#include "app/shell/control_states.h"
#include "window_fixture.h"

namespace tessary {
namespace {

using testing::WindowTest;

TEST(VirtualKeys, QtKeysMapToTheCodesHandlersCompare) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        int code;
    };
    const Case cases[] = {
        {Qt::Key_Left, {}, 0x25},   {Qt::Key_Up, {}, 0x26},     {Qt::Key_Right, {}, 0x27},
        {Qt::Key_Down, {}, 0x28},   {Qt::Key_A, {}, 0x41},      {Qt::Key_Z, Qt::ShiftModifier, 0x5A},
        {Qt::Key_0, {}, 0x30},      {Qt::Key_9, {}, 0x39},      {Qt::Key_5, Qt::KeypadModifier, 0x65},
        {Qt::Key_F1, {}, 0x70},     {Qt::Key_Return, {}, 0x0D}, {Qt::Key_Space, {}, 0x20},
        {Qt::Key_Escape, {}, 0x1B}, {Qt::Key_Shift, {}, 0x10},  {Qt::Key_unknown, {}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(qt::virtualKeyCode(c.key, c.modifiers), c.code) << c.key;
    EXPECT_EQ(qt::modifierBits(Qt::ShiftModifier | Qt::AltModifier), modifier::kShift | modifier::kAlt);
    EXPECT_EQ(qt::modifierBits(Qt::ControlModifier | Qt::KeypadModifier), modifier::kControl);
}

class InputTest : public WindowTest {
  protected:
    InputTest() {
        for (const char* id : {"arrowKeys", "jogUp", "connect", "showBurningTime", "sendBurningTime"})
            record(id);
        registry.add("takeInPicture", [this](Console&, const EventArgs& a) { dropped.push_back(a.text); });
    }
    std::vector<std::string> dropped;
};

TEST_F(InputTest, ArrowKeysOnAJogButtonReachItsHandlerNotTheFocusMovement) {
    Console& c = start();
    shell::applyConnectedState(c);
    auto* up = widget<QPushButton>(main_window::kJogUp);
    up->setFocus();
    QTest::keyClick(up, Qt::Key_Left);
    QTest::keyClick(up, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(calls, (std::vector<std::string>{"arrowKeys:37", "arrowKeys:16", "arrowKeys:40"}))
        << "Shift comes down first, as a key of its own";
    EXPECT_TRUE(up->hasFocus()) << "the arrow keys did not move the focus";
    calls.clear();
    QTest::keyClick(up, Qt::Key_Space);
    EXPECT_EQ(calls, (std::vector<std::string>{"arrowKeys:32", "jogUp:0"})) << "other keys keep their use";
}

TEST_F(InputTest, ArrowKeysReachTheWindowEvenWhileTheJogButtonsAreDisabled) {
    start();
    QTest::keyClick(mainWidget(), Qt::Key_Up);
    QTest::keyClick(mainWidget(), Qt::Key_A);
    EXPECT_EQ(calls, (std::vector<std::string>{"arrowKeys:38", "arrowKeys:65"}));
    calls.clear();
    auto* connect = widget<QPushButton>(main_window::kConnect);
    connect->setFocus();
    QTest::keyClick(connect, Qt::Key_Right);
    EXPECT_EQ(calls, std::vector<std::string>{"arrowKeys:39"})
        << "a button without its own binding passes it on";
}

TEST_F(InputTest, SliderReportsMouseMovesAndTheReleaseWithItsNewPosition) {
    Console& c = start();
    shell::applyConnectedState(c);
    int positionAtRelease = 0;
    registry.add("sendBurningTime", [&](Console& k, const EventArgs&) {
        positionAtRelease = k.main().getInt(main_window::kBurningTime, prop::slider::kPosition);
    });
    auto* slider = widget<QSlider>(main_window::kBurningTime);
    QTest::mouseMove(slider, QPoint(100, 10));
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().rfind("showBurningTime:", 0), 0u) << "no button held";
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 2, 10));
    EXPECT_GT(positionAtRelease, 60) << "the release reads the position the click made";
    EXPECT_EQ(positionAtRelease, slider->value());
}

QMimeData* files(std::initializer_list<const char*> urls) {
    auto* data = new QMimeData;
    QList<QUrl> list;
    for (const char* u : urls) list << QUrl(QString::fromUtf8(u));
    data->setUrls(list);
    return data;
}

TEST_F(InputTest, DropTargetAcceptsFileListsOnlyAnywhereOnTheWindow) {
    start();
    qt::QtWindow& w = mainWindow();
    struct Case {
        std::unique_ptr<QMimeData> data;
        std::optional<std::string> text;
    };
    std::vector<Case> cases;
    cases.push_back({std::unique_ptr<QMimeData>(files({"file:///tmp/a b.png"})), "/tmp/a b.png"});
    cases.push_back({std::unique_ptr<QMimeData>(files({"file:///tmp/a.png", "file:///tmp/b.jpg"})),
                     "/tmp/a.png\r\n/tmp/b.jpg\r\n"});
    cases.push_back(
        {std::unique_ptr<QMimeData>(files({"file:///tmp/caf%C3%A9 100%25.png"})), "/tmp/café 100%.png"});
    cases.push_back(
        {std::unique_ptr<QMimeData>(files({"file:///tmp/latin%E9%0Aname.png"})), "/tmp/latin\xE9\nname.png"});
    cases.push_back({std::unique_ptr<QMimeData>(files({"file://localhost/tmp/a.png"})), "/tmp/a.png"});
    cases.push_back({std::unique_ptr<QMimeData>(files({"https://example.org/a.png"})), std::nullopt});
    cases.push_back({std::unique_ptr<QMimeData>(files({"file:///tmp/a.png", "https://example.org/b.png"})),
                     std::nullopt});
    auto text = std::make_unique<QMimeData>();
    text->setText(QStringLiteral("/tmp/a.png"));
    cases.push_back({std::move(text), std::nullopt});
    for (const auto& k : cases) EXPECT_EQ(w.acceptedDrop(k.data.get()), k.text);

    // A drop over the log box reaches the window, which raises the drop target's event.
    auto* log = widget<QPlainTextEdit>(main_window::kLog);
    EXPECT_FALSE(log->viewport()->acceptDrops());
    std::unique_ptr<QMimeData> data(files({"file:///tmp/picture.jpg"}));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(log->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(log->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    QCoreApplication::processEvents();
    EXPECT_EQ(dropped, std::vector<std::string>{"/tmp/picture.jpg"});
}

// Runs `check` inside the modal loop once a modal window is up, then closes it.
void whileModal(std::function<void(QWidget*)> check) {
    auto attempts = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [check, attempts, poll] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            check(modal);
            modal->close();
            *poll = nullptr;  // breaks the self-reference
        } else if (++*attempts < 200) {
            QTimer::singleShot(5, [poll] {
                if (*poll) (*poll)();
            });
        }
    };
    QTimer::singleShot(0, [poll] {
        if (*poll) (*poll)();
    });
}

TEST_F(InputTest, SettingOpensOnlyWhileItsButtonIsEnabledModallyAndFreshEachTime) {
    Console& c = start();
    auto* settingButton = widget<QPushButton>(main_window::kSetting);
    QTest::mouseClick(settingButton, Qt::LeftButton);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(c.setting(), nullptr) << "disconnected: the Setting button is disabled";

    shell::applyConnectedState(c);
    std::vector<std::string> shownTexts;
    for (int opening = 0; opening < 2; ++opening) {
        whileModal([&](QWidget* modal) {
            ASSERT_NE(c.setting(), nullptr);
            EXPECT_EQ(modal, dynamic_cast<qt::QtWindow*>(c.setting())->widget());
            EXPECT_EQ(modal->windowModality(), Qt::ApplicationModal);
            auto* box = widget<QLineEdit>(setting_window::kStepPulse, c.setting());
            shownTexts.push_back(box->text().toStdString());
            box->setFocus();
            QTest::keyClicks(box, "x-9");
            EXPECT_EQ(c.setting()->getText(setting_window::kStepPulse, prop::editbox::kContent), "35-9")
                << "digits and minus only";
            QTest::mouseClick(widget<QPushButton>(setting_window::kVersion, c.setting()), Qt::LeftButton);
            // The main window is blocked meanwhile: a click on Connect, as the platform delivers it, does not
            // arrive.
            QWidget* connect = unit(main_window::kConnect).widget();
            QTest::mouseClick(mainWidget()->windowHandle(), Qt::LeftButton, {},
                              connect->mapTo(mainWidget(), connect->rect().center()));
        });
        QTest::mouseClick(settingButton, Qt::LeftButton);
    }
    EXPECT_EQ(shownTexts, (std::vector<std::string>{"35", "35"}));
    EXPECT_TRUE(std::find(calls.begin(), calls.end(), "connect:0") == calls.end());
    QWidget* connect = unit(main_window::kConnect).widget();
    QTest::mouseClick(mainWidget()->windowHandle(), Qt::LeftButton, {},
                      connect->mapTo(mainWidget(), connect->rect().center()));
    EXPECT_TRUE(std::find(calls.begin(), calls.end(), "connect:0") != calls.end()) << "unblocked once closed";
    EXPECT_EQ(c.setting(), nullptr);
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown.at(0).title, "Version 2.0.1");
}

TEST_F(InputTest, TerminationSignalClosesModalWindowsThenTheMainWindowLikeItsCloseButton) {
    Console& c = start();
    shell::applyConnectedState(c);
    record("deletePreviewFile");
    bool gone = false;
    c.setMainWindowGone([&] { gone = true; });
    qt::TerminationRequests onTermination([&c] { qt::requestClose(c); });
    ASSERT_TRUE(onTermination.installed());
    QTimer::singleShot(0, [] { platform::raiseTerminationRequest(); });
    QTest::mouseClick(widget<QPushButton>(main_window::kSetting),
                      Qt::LeftButton);  // returns once the Setting window is closed
    for (int i = 0; i < 50 && !gone; ++i) QTest::qWait(5);
    EXPECT_TRUE(gone);
    EXPECT_FALSE(c.hasMainWindow());
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "deletePreviewFile:0"), 1);
}

// Escape as the platform delivers it, to the window that has the keyboard.
void pressEscape(QWidget* window) {
    QWidget* popup = QApplication::activePopupWidget();
    QTest::keyClick((popup ? popup : window)->windowHandle(), Qt::Key_Escape);
    QTest::qWait(20);
}

TEST_F(InputTest, EscapeClosesAnOpenDropDownOnlyAndASecondEscapeTheWindow) {
    Console& c = start();
    struct Case {
        const WindowDef* def;
        const char* closer;
        const char* list;
        const char* box;  // typed into before the list opens; empty: none
    };
    const Case cases[] = {
        {&textWindowDefinition(), "closeTextWindow", "styleList", "textBox"},
        {&pictureOptionsWindowDefinition(), "closePictureOptions", picture_options_window::kConversion, ""}};
    for (const Case& k : cases) {
        std::vector<std::string> steps;
        registry.add(k.closer, [&steps](Console& console, const EventArgs&) {
            steps.push_back("closed");
            if (Window* w = console.setting()) w->close();
            for (const char* name : {"Text", "Picture options"})
                if (Window* w = console.window(name)) console.closeWindow(*w);
        });
        auto run = [&](Window& w) {
            QWidget* top = dynamic_cast<qt::QtWindow&>(w).widget();
            top->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(top, 30000));
            if (*k.box) w.set(k.box, prop::editbox::kContent, std::string("typed"));
            widget<QComboBox>(k.list, &w)->showPopup();
            QTest::qWait(20);
            ASSERT_NE(QApplication::activePopupWidget(), nullptr);
            pressEscape(top);
            steps.push_back(QApplication::activePopupWidget() ? "list open" : "list closed");
            if (*k.box) steps.push_back(w.getText(k.box, prop::editbox::kContent));
            pressEscape(top);
        };
        if (k.def == &textWindowDefinition()) {
            QTimer::singleShot(0, [&] { run(*c.setting()); });
            c.openModal(*k.def);
        } else {
            run(*c.openWindow(*k.def));
        }
        std::vector<std::string> expected{"list closed"};
        if (*k.box) expected.push_back("typed");
        expected.push_back("closed");
        EXPECT_EQ(steps, expected) << k.def->name;
    }
}

TEST(MessageBoxes, ShowTextTitleAndOneOkButtonWithoutOwner) {
    QString title, text;
    int buttons = 0;
    QWidget* parent = reinterpret_cast<QWidget*>(1);
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        buttons = static_cast<int>(box->buttons().size());
        parent = box->parentWidget();
        box->close();
    });
    qt::MessageBoxes().messageBox("Empty Port", 0, "ERROR");
    EXPECT_EQ(title, "ERROR");
    EXPECT_EQ(text, "Empty Port");
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(parent, nullptr);
}

TEST(BlockingClock, TickersTickUntilEndedEvenFromTheirOwnTickAndNeverDuringAPause) {
    qt::BlockingClock clock;
    int ticks = 0, duringPause = 0;
    bool paused = false;
    std::unique_ptr<Ticker> ticker = clock.every(std::chrono::milliseconds(5), [&] {
        duringPause += paused;
        if (++ticks == 3) ticker.reset();
    });
    ASSERT_NE(ticker, nullptr);
    for (int i = 0; i < 400 && ticker; ++i) QTest::qWait(5);
    EXPECT_EQ(ticker, nullptr);
    QTest::qWait(30);
    EXPECT_EQ(ticks, 3);

    ticks = 0;
    ticker = clock.every(std::chrono::milliseconds(5), [&] { duringPause += paused, ++ticks; });
    paused = true;
    clock.sleep(std::chrono::milliseconds(40));
    paused = false;
    for (int i = 0; i < 400 && ticks == 0; ++i) QTest::qWait(5);
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(duringPause, 0);
}

}  // namespace
}  // namespace tessary
