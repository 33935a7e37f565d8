// SPDX-License-Identifier: GPL-3.0-or-later
// The Picture options window on the real main window: opened from the preview's context menu and by
// Ctrl+Shift+P, every change applied at once, Defaults, and the options remembered between runs.
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <fstream>
#include <functional>
#include <set>

#include "app/definitions/definitions.h"
#include "app/qt/qt_services.h"
#include "app/qt/qt_window.h"
#include "app/shell/shell_handlers.h"
#include "intake_fixture.h"
#include "platform/paths.h"
#include "platform/user_folders.h"
#include "support/environment.h"
#include "support/special_file.h"

namespace tessary::intake::testing {
namespace {

template <class W>
W* widgetOf(Window* window, std::string_view unit) {
    auto* u = dynamic_cast<qt::QtUnit*>(window ? window->find(unit) : nullptr);
    return u ? qobject_cast<W*>(u->widget()) : nullptr;
}

QWidget* topOf(Window* window) {
    auto* w = dynamic_cast<qt::QtWindow*>(window);
    return w ? w->widget() : nullptr;
}

// Keys go where the operator's would: to the active window.
void typeInto(Window* window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* top = topOf(window);
    top->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(top, 30000));
    QTest::keyClick(top->focusWidget() ? top->focusWidget() : top, key, modifiers);
}

class OptionsWindowTest : public MainWindow {
  protected:
    OptionsWindowTest() { console().setSettings(settings); }
    Window* options() { return console().window("Picture options"); }

    // A configuration folder of the test's own (Linux's and Windows' way of naming it).
    tessary::testing::ScopedEnvironment linuxConfig_{"XDG_CONFIG_HOME", (dir / "config").string()};
    tessary::testing::ScopedEnvironment windowsConfig_{"APPDATA", (dir / "config").string()};
    qt::ConfigFileSettings settings;
};

TEST_F(OptionsWindowTest, ASettingsFileThatIsNoRegularFileIsNeitherOpenedNorReplaced) {
    const std::filesystem::path file = platform::pathFromText(platform::settingsFile());
    ASSERT_EQ(file.parent_path().parent_path(), dir / "config");
    std::filesystem::create_directories(file.parent_path());
    // An open of a FIFO would wait for a writer for ever.
    ASSERT_TRUE(tessary::testing::makeNonRegularFile(platform::textFromPath(file)));
    EXPECT_FALSE(settings.value("picture/conversion"));
    settings.setValue("picture/conversion", "bayer");
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::is_regular_file(file));
}

TEST_F(OptionsWindowTest, OptionsThatCannotBeSavedStillApplyAndTheLogSaysSoOnce) {
    // A configuration folder below a file: no one can make it, not even an administrator.
    std::ofstream(dir / "a file") << "x";
    tessary::testing::ScopedEnvironment linux{"XDG_CONFIG_HOME", (dir / "a file" / "config").string()};
    tessary::testing::ScopedEnvironment windows{"APPDATA", (dir / "a file" / "config").string()};
    drop(std::string(TESSARY_TESTDATA_DIR) + "/jpeg/Landscape_1.jpg");
    const image::Bytes plain = readFile(previewFile());
    const std::string before = log();
    console().dispatch(mainWindowDefinition(), main_window::kPreview, event::kMenuItem, {});
    ASSERT_TRUE(options());
    widgetOf<QComboBox>(options(), picture_options_window::kConversion)->setCurrentIndex(1);
    widgetOf<QPushButton>(options(), picture_options_window::kInvert)->click();
    EXPECT_NE(readFile(previewFile()), plain);
    EXPECT_EQ(log().substr(before.size()),
              "Options can not be saved in " + platform::settingsFile() +
                  ": they hold until Tessary closes.\r\n\r\nConversion: Floyd–Steinberg\r\n\r\n"
                  "Conversion: Floyd–Steinberg, inverted\r\n\r\n");
}

TEST_F(OptionsWindowTest, ContextMenuAnywhereOnThePreviewAndCtrlShiftPOpenItWithTheListFocused) {
    for (std::string_view unit :
         {main_window::kPreview, main_window::kVerticalRuler, main_window::kHorizontalRuler}) {
        SCOPED_TRACE(std::string(unit));
        QWidget* target = widgetOf<QWidget>(&main(), unit);
        ASSERT_TRUE(target);
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(target, &click);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        ASSERT_FALSE(menu->actions().isEmpty());
        EXPECT_EQ(menu->actions().first()->text().toStdString(), "Picture options…");
        menu->actions().first()->trigger();
        menu->close();
        ASSERT_TRUE(options());
        EXPECT_EQ(topOf(options())->windowTitle().toStdString(), "Picture options");
        EXPECT_EQ(topOf(options())->focusWidget(),
                  widgetOf<QComboBox>(options(), picture_options_window::kConversion));
        EXPECT_FALSE(topOf(options())->isModal());
        typeInto(options(), Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(options());
    }
    typeInto(&main(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(options());
    auto* list = widgetOf<QComboBox>(options(), picture_options_window::kConversion);
    ASSERT_TRUE(list);
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i) items.push_back(list->itemText(i).toStdString());
    EXPECT_EQ(items,
              (std::vector<std::string>{"Threshold", "Floyd–Steinberg", "Atkinson", "Jarvis–Judice–Ninke",
                                        "Stucki", "Ordered (Bayer 8×8)", "Halftone dots"}));
    topOf(options())->close();
    EXPECT_FALSE(options());
}

TEST_F(OptionsWindowTest, ChangesApplyAtOnceSurviveTheViewButtonsAndARestartAndDefaultsRestoreThePlainBytes) {
    const std::string photo = std::string(TESSARY_TESTDATA_DIR) + "/jpeg/Landscape_1.jpg";
    drop(photo);
    const image::Bytes plain = readFile(previewFile());
    const std::string plainLog = log();
    console().dispatch(mainWindowDefinition(), main_window::kPreview, event::kMenuItem, {});
    ASSERT_TRUE(options());

    widgetOf<QComboBox>(options(), picture_options_window::kConversion)->setCurrentIndex(1);
    // The slider holds brightness + 100, so that the window reaches below 0 too.
    widgetOf<QSlider>(options(), picture_options_window::kBrightness)->setValue(90);
    widgetOf<QPushButton>(options(), picture_options_window::kInvert)->click();
    EXPECT_EQ(options()->getText(picture_options_window::kBrightnessLabel, prop::label::kCaption),
              "Brightness: -10");
    EXPECT_EQ(options()->getInt(picture_options_window::kThreshold, prop::kDisabled), 1)
        << "the threshold level is Threshold's only";
    const image::Bytes dithered = readFile(previewFile());
    EXPECT_NE(dithered, plain);
    EXPECT_EQ(asBytes(main().get(main_window::kPreview, prop::picbox::kPicture)), dithered);
    EXPECT_EQ(state().engraving.ToByteSet(), bitmapOf(dithered).Mirror(false, true).ToByteSet());
    EXPECT_EQ(log().substr(plainLog.size()),
              "Conversion: Floyd–Steinberg\r\n\r\nConversion: Floyd–Steinberg, brightness -10\r\n\r\n"
              "Conversion: Floyd–Steinberg, brightness -10, inverted\r\n\r\n");

    // Rotate, Zoom and Reload keep the options; Reload names them after the black-and-white line.
    click(main_window::kRotate);
    click(main_window::kZoomOut);
    click(main_window::kZoomIn);
    click(main_window::kReload);
    EXPECT_EQ(readFile(previewFile()), dithered);
    const std::string tail =
        "Image has been converted to black and white\r\n\r\n"
        "Conversion: Floyd–Steinberg, brightness -10, inverted\r\n\r\n";
    EXPECT_EQ(log().substr(log().size() - tail.size()), tail);

    {  // The next run, with the same configuration folder, starts with these options.
        RecordingDialogs dialogs2;
        tessary::testing::ScriptedClock clock2;
        clock2.canTick = false;
        qt::QtWindowHost host2;
        HandlerRegistry handlers2;
        registerShellHandlers(handlers2);
        registerIntakeHandlers(handlers2);
        qt::ConfigFileSettings settings2;
        Console second(clock2, dialogs2, host2, handlers2);
        std::filesystem::create_directories(dir / "second");
        second.setRunDirectory((dir / "second").string());
        second.setSettings(settings2);
        ASSERT_TRUE(second.createMainWindow(mainWindowDefinition()));
        EventArgs args;
        args.text = photo;
        second.dispatch(mainWindowDefinition(), main_window::kDropTarget, event::kFilesDropped, args);
        EXPECT_EQ(readFile(dir / "second" / image::kPreviewFileName), dithered);
        second.dispatch(mainWindowDefinition(), "", event::kShortcut, {});
        Window* again = second.window("Picture options");
        ASSERT_TRUE(again);
        EXPECT_EQ(again->getInt(picture_options_window::kConversion, prop::combobox::kSelection), 1);
        EXPECT_EQ(again->getInt(picture_options_window::kBrightness, prop::slider::kPosition), 90);
        EXPECT_EQ(again->getInt(picture_options_window::kInvert, prop::button::kChecked), 1);
        second.destroyMainWindow();
        EXPECT_FALSE(second.window("Picture options")) << "the options window goes with the main window";
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    const std::string before = log();
    widgetOf<QPushButton>(options(), picture_options_window::kDefaults)->click();
    EXPECT_EQ(log(), before) << "nothing is logged for the default options";
    EXPECT_EQ(options()->getInt(picture_options_window::kConversion, prop::combobox::kSelection), 0);
    EXPECT_EQ(options()->getInt(picture_options_window::kInvert, prop::button::kChecked), 0);
    EXPECT_EQ(readFile(previewFile()), plain);
    click(main_window::kReload);
    EXPECT_EQ(readFile(previewFile()), plain);
    EXPECT_EQ(log().substr(before.size()),
              "Original image information:\r\n\r\nImage resolution:1800*1200\r\n\r\n"
              "Image is too large,It has been adjusted to the optimal resolution\r\n\r\n"
              "Image has been converted to black and white\r\n\r\n");
    EXPECT_EQ(settings.value("picture/conversion"), "threshold");
}

TEST_F(OptionsWindowTest, ControlsThatDoNotApplyAreDisabledAndSkippedByTab) {
    console().dispatch(mainWindowDefinition(), "", event::kShortcut, {});
    ASSERT_TRUE(options());
    struct Case {
        int mode;
        bool autoLevel, fill;
        std::set<std::string> unused;
    };
    const Case cases[] = {
        {0, false, false, {picture_options_window::kHalftoneCell, picture_options_window::kHalftoneAngle}},
        {0,
         true,
         false,
         {picture_options_window::kThreshold, picture_options_window::kHalftoneCell,
          picture_options_window::kHalftoneAngle}},
        {2,
         false,
         false,
         {picture_options_window::kThreshold, picture_options_window::kHalftoneCell,
          picture_options_window::kHalftoneAngle}},
        {6, false, true, {picture_options_window::kThreshold, picture_options_window::kSize}},
    };
    const std::map<std::string, std::string> labels = {
        {picture_options_window::kThreshold, picture_options_window::kThresholdLabel},
        {picture_options_window::kHalftoneCell, picture_options_window::kHalftoneCellLabel},
        {picture_options_window::kHalftoneAngle, picture_options_window::kHalftoneAngleLabel},
        {picture_options_window::kSize, picture_options_window::kSizeLabel}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        auto* list = widgetOf<QComboBox>(options(), picture_options_window::kConversion);
        list->setCurrentIndex(c.mode);
        for (const auto& [unit, on] : {std::pair{picture_options_window::kAutoLevel, c.autoLevel},
                                       std::pair{picture_options_window::kFill, c.fill}})
            if (widgetOf<QPushButton>(options(), unit)->isChecked() != on)
                widgetOf<QPushButton>(options(), unit)->click();
        // Tab from the list round the window: every slider it reaches applies, every one it skips does not.
        std::set<std::string> reached;
        QWidget* top = topOf(options());
        top->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(top, 30000));
        list->setFocus();
        for (int i = 0; i < 30 && (i == 0 || top->focusWidget() != list); ++i) {
            QTest::keyClick(top->focusWidget(), Qt::Key_Tab);
            for (const auto& [slider, label] : labels)
                if (top->focusWidget() == widgetOf<QSlider>(options(), slider)) reached.insert(slider);
        }
        for (const auto& [slider, label] : labels) {
            const bool unused = c.unused.count(slider) > 0;
            EXPECT_EQ(reached.count(slider) == 0, unused) << slider;
            EXPECT_EQ(widgetOf<QLabel>(options(), label)->isEnabled(), !unused) << label;
        }
    }
}

TEST_F(OptionsWindowTest, TheThresholdShowsAsGreyAndADragIsLoggedOnceWhenLetGo) {
    drop(std::string(TESSARY_TESTDATA_DIR) + "/jpeg/Landscape_1.jpg");
    console().dispatch(mainWindowDefinition(), "", event::kShortcut, {});
    ASSERT_TRUE(options());
    auto* threshold = widgetOf<QSlider>(options(), picture_options_window::kThreshold);
    EXPECT_EQ(threshold->maximum(), 255);
    EXPECT_EQ(threshold->value(), 128);
    EXPECT_EQ(options()->getText(picture_options_window::kThresholdLabel, prop::label::kCaption),
              "Threshold level: 128 of 255");
    const std::string before = log();

    // The brightness slider held in its middle (its value 0) and dragged in steps to the right.
    auto* brightness = widgetOf<QSlider>(options(), picture_options_window::kBrightness);
    const QPoint middle(brightness->width() / 2, brightness->height() / 2);
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent e(type, at, brightness->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(brightness, &e);
    };
    send(QEvent::MouseButtonPress, middle, Qt::LeftButton);
    std::set<image::Bytes> previews;
    for (int step = 1; step <= 8; ++step) {
        send(QEvent::MouseMove, middle + QPoint(step * 4, 0), Qt::LeftButton);
        previews.insert(readFile(previewFile()));
    }
    EXPECT_GT(previews.size(), 4u) << "the preview follows the drag";
    EXPECT_EQ(log(), before) << "nothing is logged while the slider is held";
    send(QEvent::MouseButtonRelease, middle + QPoint(32, 0), Qt::NoButton);
    const int shown = brightness->value() - 100;
    ASSERT_GT(shown, 0);
    EXPECT_EQ(log().substr(before.size()),
              "Conversion: Threshold, brightness +" + std::to_string(shown) + "\r\n\r\n");
    EXPECT_EQ(settings.value("picture/threshold"), "383") << "the stored level is not rounded to the grey";
}

TEST_F(OptionsWindowTest, KeysOnASliderOrTheListAreLoggedOnceAMomentAfterTheLast) {
    tessary::testing::ScriptedClock clock;
    qt::QtWindowHost host;
    HandlerRegistry handlers;
    registerShellHandlers(handlers);
    registerIntakeHandlers(handlers);
    Console keyed(clock, dialogs, host, handlers);
    keyed.setRunDirectory(dir.string());
    ASSERT_TRUE(keyed.createMainWindow(mainWindowDefinition()));
    EventArgs args;
    args.text = std::string(TESSARY_TESTDATA_DIR) + "/jpeg/Landscape_1.jpg";
    keyed.dispatch(mainWindowDefinition(), main_window::kDropTarget, event::kFilesDropped, args);
    keyed.dispatch(mainWindowDefinition(), "", event::kShortcut, {});
    Window* window = keyed.window("Picture options");
    ASSERT_TRUE(window);
    const auto logText = [&] { return keyed.main().getText(main_window::kLog, prop::editbox::kContent); };
    struct Case {
        const char* unit;
        Qt::Key key;
        int presses;
        std::string line;
    };
    const Case cases[] = {
        {picture_options_window::kBrightness, Qt::Key_Right, 5,
         "Conversion: Threshold, brightness +5\r\n\r\n"},
        {picture_options_window::kConversion, Qt::Key_Down, 3,
         "Conversion: Jarvis–Judice–Ninke, brightness +5\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        const std::string before = logText();
        QWidget* unit = widgetOf<QWidget>(window, c.unit);
        unit->setFocus();
        for (int key = 0; key < c.presses; ++key) QTest::keyClick(unit, c.key);
        EXPECT_EQ(logText(), before);
        EXPECT_EQ(static_cast<int>(clock.ticks.live()), 1) << "one wait, started again by every key";
        clock.ticks.tick();
        EXPECT_EQ(logText().substr(before.size()), c.line);
        EXPECT_EQ(static_cast<int>(clock.ticks.live()), 0);
    }
    keyed.destroyMainWindow();
}

TEST_F(OptionsWindowTest, ThePreviewSaysThatARightClickOpensPictureOptions) {
    for (std::string_view unit :
         {main_window::kPreview, main_window::kVerticalRuler, main_window::kHorizontalRuler}) {
        const std::string tip = widgetOf<QWidget>(&main(), unit)->toolTip().toStdString();
        EXPECT_NE(tip.find("Right-click"), std::string::npos) << unit;
        EXPECT_NE(tip.find("Picture options"), std::string::npos) << unit;
    }
}

}  // namespace
}  // namespace tessary::intake::testing
