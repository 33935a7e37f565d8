// SPDX-License-Identifier: GPL-3.0-or-later
// The main and Setting windows as Qt widgets: layout, captions, property reads, log, surfaces.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include "app/definitions/unit_names.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "app/shell/control_states.h"
#include "window_fixture.h"

namespace tessary {
namespace {

using testing::WindowTest;

QString caption(QWidget* w) {
    if (auto* b = qobject_cast<QPushButton*>(w))
        return b->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title().replace(QStringLiteral("&&"), QStringLiteral("&"));
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

TEST_F(WindowTest, MainWindowShowsEveryUnitWhereAndAsTheDefinitionSays) {
    Console& c = start();
    const WindowDef& def = mainWindowDefinition();
    QWidget* top = mainWidget();
    EXPECT_EQ(top->size(), QSize(def.clientWidth, def.clientHeight));
    EXPECT_EQ(top->minimumSize(), top->maximumSize()) << "fixed size";
    EXPECT_EQ(top->windowTitle(), "Tessary");
    EXPECT_EQ(c.main().self().read(prop::window::kCaption), Value{std::string("Tessary\r\n")});
    EXPECT_TRUE(top->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(top->windowFlags() & Qt::WindowMaximizeButtonHint);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(top->x() + def.width / 2 - screen.center().x()), 1) << "centred";

    for (const UnitDef& u : def.units) {
        if (u.kind == Kind::SerialPort || u.kind == Kind::DropTarget) continue;
        SCOPED_TRACE(u.name);
        QWidget* w = unit(u.name).widget();
        EXPECT_EQ(w->geometry(), QRect(u.left, u.top, u.width, u.height));
        EXPECT_EQ(c.main().getInt(u.name, prop::kLeft), u.left);
        EXPECT_EQ(c.main().getInt(u.name, prop::kHeight), u.height);
        QWidget* expectedParent = u.container.empty() ? top : unit(u.container).clientArea();
        EXPECT_EQ(w->parentWidget(), expectedParent);
        const int captionNumber = u.kind == Kind::Button ? prop::button::kCaption : prop::label::kCaption;
        if (const Value* text = u.property(captionNumber);
            text && (u.kind == Kind::Button || u.kind == Kind::GroupBox || u.kind == Kind::Label)) {
            EXPECT_EQ(caption(w).toStdString(), asText(*text));
        }
    }
}

TEST_F(WindowTest, EarlierUnitsLieAboveLaterOnes) {
    start();
    auto stackIndex = [this](const char* name) {
        QWidget* w = unit(name).widget();
        return w->parentWidget()->children().indexOf(w);  // later children are drawn on top
    };
    EXPECT_GT(stackIndex(main_window::kZoomIn), stackIndex(main_window::kImageEditingGroup))
        << "zoom buttons over their group box";
    EXPECT_GT(stackIndex(main_window::kFastForward), stackIndex(main_window::kCarveRateGroup));
    EXPECT_GT(stackIndex(main_window::kJogUp), stackIndex(main_window::kMovementGroup));
    EXPECT_GT(stackIndex(main_window::kVerticalRuler), stackIndex(main_window::kPreview))
        << "rulers over the preview";
    EXPECT_GT(stackIndex(main_window::kHorizontalRuler), stackIndex(main_window::kPreview));
}

TEST_F(WindowTest, StartUpLeavesTheDisconnectedStateWithTheComListHidden) {
    Console& c = start();
    for (std::string_view name : shell::kMachineControls) {
        EXPECT_FALSE(unit(name).widget()->isEnabled()) << name;
        EXPECT_EQ(c.main().getInt(name, prop::kDisabled), 1);
    }
    EXPECT_TRUE(unit(main_window::kConnect).widget()->isEnabled());
    EXPECT_EQ(c.main().getInt(main_window::kComList, prop::kVisible), 0);
    EXPECT_EQ(c.main().getInt(main_window::kDisconnect, prop::kVisible), 1);
    EXPECT_TRUE(mainWidget()->acceptDrops()) << "drop target attached";
}

TEST_F(WindowTest, VisibleReadsFalseInsideAHiddenContainer) {
    Console& c = start();
    c.main().set(main_window::kLocationGroup, prop::kVisible, 0);
    EXPECT_EQ(c.main().getInt(main_window::kToMiddle, prop::kVisible), 0);
    EXPECT_EQ(c.main().getInt(main_window::kMovementGroup, prop::kVisible), 1);
    c.main().set(main_window::kLocationGroup, prop::kVisible, 1);
    EXPECT_EQ(c.main().getInt(main_window::kToMiddle, prop::kVisible), 1);
    c.main().set(main_window::kCanvas, prop::kVisible, 0);
    EXPECT_EQ(c.main().getInt(main_window::kPreview, prop::kVisible), 0) << "inside a hidden draw panel";
}

TEST_F(WindowTest, ComListSelectionFollowsItsRules) {
    Console& c = start();
    auto* combo = widget<QComboBox>(main_window::kComList);
    ASSERT_EQ(combo->count(), 33);
    EXPECT_EQ(combo->itemText(32), "COM32");
    EXPECT_FALSE(combo->isEditable());
    struct Case {
        std::int32_t written;
        std::int32_t read;
        const char* shown;
    };
    for (const Case& k : {Case{0, 0, "COM0"}, Case{-1, -1, ""}, Case{100, 32, "COM32"}, Case{5, 5, "COM5"},
                          Case{-100, -1, ""}}) {
        c.main().set(main_window::kComList, prop::combobox::kSelection, k.written);
        EXPECT_EQ(c.main().getInt(main_window::kComList, prop::combobox::kSelection), k.read) << k.written;
        EXPECT_EQ(combo->currentText().toStdString(), k.shown);
    }
    combo->setCurrentIndex(7);  // the operator's choice
    EXPECT_EQ(c.main().getInt(main_window::kComList, prop::combobox::kSelection), 7);
}

TEST_F(WindowTest, SliderIsTheBurningTimeRangeWithATickPerPositionBelow) {
    Console& c = start();
    auto* slider = widget<QSlider>(main_window::kBurningTime);
    EXPECT_EQ(slider->minimum(), 1);
    EXPECT_EQ(slider->maximum(), 240);
    EXPECT_EQ(slider->value(), 60);
    EXPECT_EQ(slider->pageStep(), 5);
    EXPECT_EQ(slider->singleStep(), 1);
    EXPECT_EQ(slider->tickInterval(), 1);
    EXPECT_EQ(slider->tickPosition(), QSlider::TicksBelow);
    EXPECT_TRUE(slider->hasMouseTracking()) << "mouse moves arrive without a button held";
    c.main().set(main_window::kBurningTime, prop::slider::kPosition, 500);
    EXPECT_EQ(c.main().getInt(main_window::kBurningTime, prop::slider::kPosition), 240);
    slider->setValue(17);
    EXPECT_EQ(c.main().getInt(main_window::kBurningTime, prop::slider::kPosition), 17);
}

TEST_F(WindowTest, LogAppendGoesToTheVeryEndWhateverTheOperatorDid) {
    Console& c = start();
    auto* log = widget<QPlainTextEdit>(main_window::kLog);
    EXPECT_FALSE(log->isReadOnly());
    EXPECT_EQ(log->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(log->font().families().value(0), "微软雅黑");
    EXPECT_EQ(log->font().pixelSize(), 12);

    log->setFocus();
    log->moveCursor(QTextCursor::Start);
    QTest::keyClicks(log, "typed");
    QTest::keyClick(log, Qt::Key_Return);
    QTextCursor selection = log->textCursor();
    selection.setPosition(2);
    selection.setPosition(8, QTextCursor::KeepAnchor);
    log->setTextCursor(selection);

    c.appendLog("Connecting...\r\n\r\n");
    c.appendLog("Port：COM5\r\n\r\n");
    const std::string text = c.main().getText(main_window::kLog, prop::editbox::kContent);
    EXPECT_EQ(text.rfind("typed\r\n        Welcome(^_^)\r\n\r\n", 0), 0u) << text;
    const std::string appended = "Connecting...\r\n\r\nPort：COM5\r\n\r\n";
    ASSERT_GT(text.size(), appended.size());
    EXPECT_EQ(text.substr(text.size() - appended.size()), appended);
    EXPECT_EQ(log->textCursor().position(), log->document()->characterCount() - 1) << "caret at the end";

    log->undo();
    EXPECT_EQ(c.main().getText(main_window::kLog, prop::editbox::kContent), text)
        << "a log line cannot be undone";
}

// Every character the console writes into the log is drawn from a font that has it, not as the missing-glyph
// box: the glyph runs of the laid-out block name the fonts really used after fallback.
TEST_F(WindowTest, LogLinesAreDrawnWithRealGlyphs) {
    Console& c = start();
    auto* log = widget<QPlainTextEdit>(main_window::kLog);
    const char* const lines[] = {"        Welcome(^_^)",
                                 "Port\xEF\xBC\x9A"
                                 "COM1",
                                 "Succesed to connected the machine!"};
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        c.appendLog(std::string(line) + "\r\n\r\n");
        log->grab();  // paints, and so lays out, the visible blocks
        QTextBlock block = log->document()->lastBlock();
        while (block.isValid() && block.text().isEmpty()) block = block.previous();
        ASSERT_EQ(block.text(), QString::fromUtf8(line));
        ASSERT_NE(block.layout(), nullptr);
        for (int i = 0; i < block.text().size(); ++i) {
            const QChar ch = block.text().at(i);
            if (ch.isSpace()) continue;
            const QList<QGlyphRun> runs = block.layout()->glyphRuns(i, 1);
            ASSERT_EQ(runs.size(), 1) << "character " << i;
            const QRawFont font = runs[0].rawFont();
            EXPECT_TRUE(font.supportsCharacter(ch) && runs[0].glyphIndexes().value(0) != 0)
                << "U+" << std::hex << int{ch.unicode()} << " has no glyph in "
                << font.familyName().toStdString() << " (install the fonts that scripts/setup.sh names)";
        }
    }
}

TEST_F(WindowTest, LogGrowsWithoutLimit) {
    Console& c = start();
    const std::string line(200, 'x');
    for (int i = 0; i < 2000; ++i) c.appendLog(line + "\r\n\r\n");
    EXPECT_GT(c.main().getText(main_window::kLog, prop::editbox::kContent).size(), 2000u * 200u);
}

TEST_F(WindowTest, CanvasKeepsItsOffScreenImageAcrossRepaints) {
    Console& c = start();
    DrawSurface& canvas = c.main().drawPanel(main_window::kCanvas);
    image::Raster& pixels = canvas.pixels();
    ASSERT_EQ(pixels.width, 510) << "512 less the one-pixel line on each side";
    ASSERT_EQ(pixels.height, 510);
    const Rgb bg = colourRgb(static_cast<std::int32_t>(canvas.background()));
    EXPECT_GE(bg.r + bg.g + bg.b, 383) << "the background comes out white in the black-and-white step";
    EXPECT_EQ(pixels.at(100, 100)[0], bg.r);

    std::uint8_t* p = pixels.at(123, 245);
    p[0] = 255, p[1] = 0, p[2] = 0;
    canvas.changed();
    QWidget* inside = unit(main_window::kCanvas).clientArea();
    inside->repaint();
    for (int i = 0; i < 2; ++i) {
        // The panel itself, without the preview and rulers that cover it on the screen.
        QImage shot(inside->size(), QImage::Format_RGB32);
        inside->render(&shot, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        EXPECT_EQ(shot.pixelColor(123, 245), QColor(255, 0, 0));
        EXPECT_EQ(shot.pixelColor(124, 245), QColor(bg.r, bg.g, bg.b));
        inside->update();
    }
    EXPECT_EQ(c.main().drawPanel(main_window::kVerticalRuler).pixels().width, 12)
        << "a ruler strip has no frame";
    EXPECT_EQ(c.main().drawPanel(main_window::kHorizontalRuler).pixels().height, 12);
}

Bytes tinyBmp() {
    // 2 x 1, 24 bits: red then blue.
    Bytes b = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
               0,   0,   0,  2, 0, 0, 0, 1, 0, 0, 0,  1, 0, 24, 0};
    b.resize(54, 0);
    for (std::uint8_t v : {0, 0, 255, 255, 0, 0, 0, 0}) b.push_back(v);
    return b;
}

TEST_F(WindowTest, PictureBoxShowsTheBmpBytesWrittenToIt) {
    Console& c = start();
    QWidget* preview = unit(main_window::kPreview).widget();
    EXPECT_EQ(preview->grab().toImage().pixelColor(5, 5), QColor(Qt::white))
        << "the placeholder is almost all white";
    c.main().set(main_window::kPreview, prop::picbox::kPicture, tinyBmp());
    const QImage shot = preview->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(1, 0), QColor(0, 0, 255));
    EXPECT_EQ(asBytes(c.main().get(main_window::kPreview, prop::picbox::kPicture)), tinyBmp());
    c.main().set(main_window::kPreview, prop::picbox::kPicture,
                 Bytes{1, 2, 3});  // not a picture: shows nothing
    EXPECT_NE(preview->grab().toImage().pixelColor(0, 0), QColor(255, 0, 0));
}

TEST_F(WindowTest, MainWindowThatCannotBeCreatedIsNotShown) {
    host.setSerialPortFactory([](const UnitDef&, EventSink&) { return std::unique_ptr<Unit>(); });
    console = std::make_unique<Console>(clock, dialogs, host, registry);
    EXPECT_FALSE(console->createMainWindow(mainWindowDefinition()));
    EXPECT_FALSE(console->hasMainWindow());
}

}  // namespace
}  // namespace tessary
