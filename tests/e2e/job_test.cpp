// SPDX-License-Identifier: GPL-3.0-or-later
// From the dropped picture to the laser's reported positions on the preview, with the virtual engraver as
// the machine and the console's real pauses.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDropEvent>
#include <QEventLoop>
#include <QMimeData>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "app/console.h"
#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "app/qt/qt_services.h"
#include "app/qt/qt_window.h"
#include "app/qt/qt_window_host.h"
#include "console/program_parts.h"
#include "image/picture.h"
#include "intake/image_state.h"
#include "support/test_services.h"

extern char** environ;

namespace tessary {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool processUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The console's real clock, timed from outside: the erase burst was written before a pause began and the
// image is written after it ended, so the longest pause is the least gap on the wire.
class TimedClock : public Clock {
  public:
    void sleep(std::chrono::milliseconds pause) override {
        const auto start = std::chrono::steady_clock::now();
        real_.sleep(pause);
        longest = std::max(longest, std::chrono::steady_clock::now() - start);
    }
    std::unique_ptr<Ticker> every(std::chrono::milliseconds interval, std::function<void()> tick) override {
        return real_.every(interval, std::move(tick));
    }
    std::chrono::steady_clock::duration longest{};

  private:
    qt::BlockingClock real_;
};

// The virtual engraver, started on COM5 of a fresh port directory and stopped by its pid.
class Engraver {
  public:
    explicit Engraver(const fs::path& dir) : log_(dir / "engraver.log") {
        const std::string portDir = dir.string(), out = (dir / "out").string(), logPath = log_.string();
        fs::create_directories(dir / "out");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        std::vector<std::string> args{TESSARY_VIRTUAL_ENGRAVER,
                                      "--port-dir",
                                      portDir,
                                      "--com",
                                      "5",
                                      "--fast",
                                      "--baud",
                                      "57600",
                                      "--keep-bmp",
                                      "--out",
                                      out};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Engraver() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    bool started() const { return pid_ > 0; }
    std::string log() const { return readFile(log_); }

  private:
    fs::path log_;
    pid_t pid_ = -1;
};

class Job : public ::testing::Test {
  protected:
    Job() {
        std::string pattern = (fs::temp_directory_path() / "tessary-job-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
        ::setenv("TESSARY_PORT_DIR", dir_.c_str(), 1);
        registerAllHandlers(registry_);
        host_.setSerialPortFactory(serialPortFactory());
    }
    ~Job() override {
        if (console_) console_->destroyMainWindow();
        console_.reset();
        engraver_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ::unsetenv("TESSARY_PORT_DIR");
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    QWidget* widget(std::string_view unit) {
        return dynamic_cast<qt::QtUnit&>(console_->main().unit(unit)).widget();
    }
    void click(std::string_view unit) { qobject_cast<QAbstractButton*>(widget(unit))->click(); }

    // The virtual engraver on COM5 and the console connected to it.
    void connectedConsole() {
        engraver_ = std::make_unique<Engraver>(dir_);
        ASSERT_TRUE(engraver_->started());
        ASSERT_TRUE(processUntil([&] { return fs::exists(dir_ / "COM5"); }, 10s)) << engraver_->log();
        console_ = std::make_unique<Console>(clock_, boxes_, host_, registry_);
        console_->setRunDirectory(dir_.string());
        ASSERT_TRUE(console_->createMainWindow(mainWindowDefinition()));
        ASSERT_EQ(console_->main().getText(main_window::kConnect, prop::button::kCaption), "Connected");
    }

    // A small black cross in a white picture (a short walk), dropped on the window; the image it makes.
    Bytes dropCross() {
        image::Raster picture(60, 60);
        std::fill(picture.rgb.begin(), picture.rgb.end(), std::uint8_t{255});
        for (int i = 20; i < 40; ++i) {
            for (const auto& [x, y] : {std::pair{i, 30}, std::pair{30, i}})
                std::fill_n(picture.at(x, y), 3, std::uint8_t{0});
        }
        const fs::path picturePath = dir_ / "cross.bmp";
        const Bytes bmp = image::bmp24(picture, false);
        std::ofstream(picturePath, std::ios::binary)
            .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(picturePath.string()))});
        QWidget* window = static_cast<qt::QtWindow&>(console_->main()).widget();
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        // A drop goes to the widget that took the drag's entry.
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &enter);
        QApplication::sendEvent(window, &drop);
        EXPECT_TRUE(drop.isAccepted());
        EXPECT_TRUE(
            processUntil([&] { return !console_->state<intake::ImageState>().engraving.empty(); }, 10s));
        return console_->state<intake::ImageState>().engraving.ToByteSet();
    }

    std::string logText() { return console_->main().getText(main_window::kLog, prop::editbox::kContent); }
    std::size_t logCount(std::string_view line) {
        const std::string log = logText();
        std::size_t n = 0;
        for (auto at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++n;
        return n;
    }
    QString barText() {
        for (auto* bar : widget(main_window::kPreviewGroup)->findChildren<QProgressBar*>())
            if (bar->isVisible()) return bar->text();
        return {};
    }

    // What the machine heard and did: "FE x8 Erase last image: ...", "image 32830 bytes, ...",
    // "F1 Start carving: ...", "carving finished, ...".
    std::vector<std::string> machineLines() {
        std::vector<std::string> messages;
        std::istringstream lines(engraver_->log());
        for (std::string line; std::getline(lines, line);) {
            const auto close = line.find("] ");
            if (line.empty() || line[0] != '[' || close == std::string::npos) continue;
            const std::string text = line.substr(close + 2);
            const bool hex = text.size() > 2 && std::isxdigit(static_cast<unsigned char>(text[0])) &&
                             std::isxdigit(static_cast<unsigned char>(text[1])) && text[2] == ' ';
            if (hex || text.starts_with("FE x") || text.starts_with("image ") ||
                text.starts_with("dropped ") || text.starts_with("carving finished"))
                messages.push_back(text);
        }
        return messages;
    }

    fs::path dir_;
    TimedClock clock_;
    testing::RecordingDialogs boxes_;
    qt::QtWindowHost host_;
    HandlerRegistry registry_;
    std::unique_ptr<Engraver> engraver_;
    std::unique_ptr<Console> console_;
};

TEST_F(Job, DroppedPictureIsSentAndCarvedWithTheLaserShownOverThePreview) {
    connectedConsole();
    Window& main = console_->main();
    const Bytes wireImage = dropCross();
    ASSERT_FALSE(wireImage.empty()) << logText() << (boxes_.shown.empty() ? "" : boxes_.lines().front());

    QString barDuringPause;
    QTimer::singleShot(1500, [&] {
        for (auto* bar : widget(main_window::kPreviewGroup)->findChildren<QProgressBar*>()) {
            if (bar->isVisible()) barDuringPause = bar->text();
        }
    });
    click(main_window::kUploadImage);
    EXPECT_TRUE(barDuringPause.startsWith("Erasing the last image")) << barDuringPause.toStdString();
    EXPECT_TRUE(boxes_.shown.empty());
    click(main_window::kStart);

    // The black pixels of the preview, as the machine walks them.
    const auto preview = image::LoadPicture(image::Bytes(wireImage));
    ASSERT_TRUE(preview);
    std::vector<std::pair<int, int>> black;
    for (int y = 0; y < 510; ++y) {
        for (int x = 0; x < 510; ++x) {
            // The wire image is the preview flipped top to bottom.
            if (preview->at(x, 511 - y)[0] == 0) black.emplace_back(x, y);
        }
    }
    ASSERT_FALSE(black.empty());
    const auto red = [&](int x, int y) {
        const std::uint8_t* p = main.drawPanel(main_window::kCanvas).pixels().at(x, y);
        return p[0] == 255 && p[1] == 0 && p[2] == 0;
    };
    EXPECT_TRUE(processUntil(
        [&] {
            return std::all_of(black.begin(), black.end(), [&](auto p) { return red(p.first, p.second); });
        },
        30s))
        << engraver_->log();
    // The console saw the job end at the machine's last report, once, and took its bar away.
    const auto logText = [&] { return main.getText(main_window::kLog, prop::editbox::kContent); };
    EXPECT_TRUE(
        processUntil([&] { return logText().find("Engraving finished in ") != std::string::npos; }, 10s))
        << logText();
    processUntil([&] { return engraver_->log().find("carving finished") != std::string::npos; }, 5s);
    const std::string finished = logText().substr(logText().find("Engraving finished in "));
    EXPECT_TRUE(
        std::regex_match(finished, std::regex("Engraving finished in ([0-9]+ min )?[0-9]+ s\r\n\r\n")))
        << finished;
    EXPECT_NE(engraver_->log().find("carving finished, " + std::to_string(black.size()) + " pixels reported"),
              std::string::npos)
        << engraver_->log();
    // The notice: the window asked for attention once, and the bar says how long the piece took.
    EXPECT_EQ(boxes_.attention, 1);
    EXPECT_TRUE(std::regex_match(barText().toStdString(), std::regex("Finished in ([0-9]+ min )?[0-9]+ s")))
        << barText().toStdString();
    const QImage shown = widget(main_window::kPreview)->grab().toImage();
    for (const auto& [x, y] : black) {
        const QColor c = shown.pixelColor(x, y);
        EXPECT_TRUE(c.red() == 255 && c.green() == 0 && c.blue() == 0) << x << "," << y;
    }

    // What the machine heard: the erase burst, the image after the console's real pause, then Start.
    const std::string log = engraver_->log();
    const std::vector<std::string> messages = machineLines();
    // The machine's clock of each line ("[   12.345] ..."), seconds: when the erase burst and the image came.
    std::vector<double> heardAt;
    {
        std::istringstream lines(engraver_->log());
        for (std::string line; std::getline(lines, line);) {
            const auto close = line.find("] ");
            if (line.empty() || line[0] != '[' || close == std::string::npos) continue;
            const std::string text = line.substr(close + 2);
            if (text.starts_with("FE x8") || text.starts_with("image 32830 bytes"))
                heardAt.push_back(std::stod(line.substr(1, close - 1)));
        }
    }
    ASSERT_GE(heardAt.size(), 2u);
    ASSERT_GE(messages.size(), 3u) << log;
    EXPECT_TRUE(messages[0].starts_with("FE x8 Erase last image")) << log;
    const std::string imageLine = "image 32830 bytes, ";
    ASSERT_TRUE(messages[1].starts_with(imageLine)) << log;
    const std::string gap = messages[1].substr(imageLine.size());
    ASSERT_NE(gap.find(" ms after the erase burst"), std::string::npos) << log;
    EXPECT_GE(clock_.longest, 3000ms);
    // The machine's own timing of the gap runs from when it got round to reading the erase burst; on a busy
    // machine that can be a little late.
    EXPECT_GE(std::stoi(gap), 2900);
    // For the record (not a bound): the line's floor is 3 s + 32,830 / 5,760 s = 8.7 s.
    std::printf(
        "upload at 57,600 baud: the image began %d ms and was complete %.0f ms after the erase burst\n",
        std::stoi(gap), 1000 * (heardAt[1] - heardAt[0]));
    EXPECT_TRUE(messages[2].starts_with("F1 Start carving")) << log;
    EXPECT_EQ(readFile(dir_ / "out" / "image-1.bmp"), std::string(wireImage.begin(), wireImage.end()));
}

Window* jobWindow(Console& console) { return console.window(jobWindowDefinition().name); }

void setJobCounts(Console& console, const std::string& passes, const std::string& copies) {
    console.openWindow(jobWindowDefinition());
    Window* w = jobWindow(console);
    ASSERT_TRUE(w);
    w->set(job_window::kPasses, prop::editbox::kContent, passes);
    w->set(job_window::kCopies, prop::editbox::kContent, copies);
    qobject_cast<QAbstractButton*>(dynamic_cast<qt::QtUnit&>(w->unit(job_window::kOk)).widget())->click();
    ASSERT_FALSE(jobWindow(console));
}

TEST_F(Job, TwoPassesSendOneRecarveAfterTheFirstPassFinishedAndCallWhenDone) {
    connectedConsole();
    setJobCounts(*console_, "2", "1");
    dropCross();
    click(main_window::kUploadImage);
    click(main_window::kStart);
    // Each report redraws the bar within one delivery of many bytes: its texts are caught as they change.
    QString secondPass;
    for (auto* bar : widget(main_window::kPreviewGroup)->findChildren<QProgressBar*>())
        QObject::connect(bar, &QProgressBar::valueChanged, [&secondPass, bar] {
            if (bar->text().startsWith("Pass 2 of 2")) secondPass = bar->text();
        });
    ASSERT_TRUE(processUntil([&] { return logCount("Engraving finished in ") == 2; }, 60s))
        << logText() << engraver_->log();
    EXPECT_TRUE(secondPass.startsWith("Pass 2 of 2 \u00B7 Engraving: ")) << secondPass.toStdString();
    processUntil([&] { return machineLines().size() >= 6; }, 5s);
    const std::vector<std::string> heard = machineLines();
    const std::vector<std::string> starts = {"FE x8",  "image 32830 bytes", "F1 ", "carving finished",
                                             "FC 77 ", "carving finished"};
    ASSERT_EQ(heard.size(), starts.size()) << engraver_->log();
    for (std::size_t i = 0; i < starts.size(); ++i) EXPECT_TRUE(heard[i].starts_with(starts[i])) << heard[i];
    EXPECT_EQ(logCount("Recarve\r\n\r\n"), 1u);
    EXPECT_EQ(boxes_.attention, 1);
    EXPECT_TRUE(barText().startsWith("Finished in ")) << barText().toStdString();
}

TEST_F(Job, EachPieceButTheLastWaitsForStartAndTheCountSurvivesALostMachine) {
    connectedConsole();
    setJobCounts(*console_, "1", "2");
    dropCross();
    click(main_window::kUploadImage);
    click(main_window::kStart);
    const std::string waiting = "Piece 1 of 2 done: put the next piece in place and press Start";
    ASSERT_TRUE(processUntil([&] { return barText().toStdString() == waiting; }, 60s)) << logText();
    EXPECT_EQ(boxes_.attention, 1);
    // Break and Connect again: nothing is sent, and the next Start burns piece 2.
    const std::size_t heardBefore = machineLines().size();
    click(main_window::kDisconnect);
    click(main_window::kConnect);
    ASSERT_EQ(console_->main().getText(main_window::kConnect, prop::button::kCaption), "Connected");
    processUntil([] { return false; }, 300ms);
    EXPECT_EQ(machineLines().size(), heardBefore);
    EXPECT_EQ(barText().toStdString(), waiting);
    click(main_window::kStart);
    EXPECT_TRUE(barText().startsWith("Piece 2 of 2")) << barText().toStdString();
    ASSERT_TRUE(processUntil([&] { return logCount("Engraving finished in ") == 2; }, 60s)) << logText();
    EXPECT_EQ(boxes_.attention, 2);
    EXPECT_TRUE(barText().startsWith("Finished in ")) << barText().toStdString();
    EXPECT_EQ(logCount("Recarve\r\n\r\n"), 0u);
}

// The window itself, as the operator uses it: Ctrl+J, the focus on Passes, Up, Return.
TEST_F(Job, TheJobWindowOpensOnPassesRaisesItWithUpAndKeepsItWithReturn) {
    console_ = std::make_unique<Console>(clock_, boxes_, host_, registry_);
    console_->setRunDirectory(dir_.string());
    ASSERT_TRUE(console_->createMainWindow(mainWindowDefinition()));
    QWidget* mainWidget = static_cast<qt::QtWindow&>(console_->main()).widget();
    const auto press = [](QWidget* top, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        top->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(top, 30000));
        QTest::keyClick(top->focusWidget() ? top->focusWidget() : top, key, modifiers);
    };
    const std::string before = logText();
    for (const auto& [keys, passes] :
         {std::pair{std::vector{Qt::Key_Up, Qt::Key_Up}, "3"},
          std::pair{std::vector{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}, "1"}}) {
        press(mainWidget, Qt::Key_J, Qt::ControlModifier);
        Window* w = jobWindow(*console_);
        ASSERT_TRUE(w);
        QWidget* top = static_cast<qt::QtWindow*>(w)->widget();
        top->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(top, 30000));
        EXPECT_EQ(top->focusWidget(), dynamic_cast<qt::QtUnit&>(w->unit(job_window::kPasses)).widget());
        for (Qt::Key key : keys) press(top, key);
        EXPECT_EQ(w->getText(job_window::kPasses, prop::editbox::kContent), passes);
        press(top, Qt::Key_Return);
        EXPECT_FALSE(jobWindow(*console_));
        // Opened again, it shows what was kept.
        console_->openWindow(jobWindowDefinition());
        EXPECT_EQ(jobWindow(*console_)->getText(job_window::kPasses, prop::editbox::kContent), passes);
        console_->closeWindow(*jobWindow(*console_));
    }
    // Escape closes it without keeping; nothing of it reaches the log.
    console_->openWindow(jobWindowDefinition());
    jobWindow(*console_)->set(job_window::kCopies, prop::editbox::kContent, std::string("7"));
    press(static_cast<qt::QtWindow*>(jobWindow(*console_))->widget(), Qt::Key_Escape);
    EXPECT_FALSE(jobWindow(*console_));
    console_->openWindow(jobWindowDefinition());
    EXPECT_EQ(jobWindow(*console_)->getText(job_window::kCopies, prop::editbox::kContent), "1");
    EXPECT_EQ(logText(), before);
}

TEST_F(Job, ATestCardBurnsEachCellsOwnImageAtItsBurnTimeOneAfterTheOtherAndStopsWhenAsked) {
    connectedConsole();
    console_->openWindow(testCardWindowDefinition());
    Window* card = console_->window(testCardWindowDefinition().name);
    ASSERT_TRUE(card);
    const auto cardButton = [&](std::string_view unit) {
        qobject_cast<QAbstractButton*>(dynamic_cast<qt::QtUnit&>(card->unit(unit)).widget())->click();
    };
    const auto status = [&] { return card->getText(test_card_window::kStatus, prop::label::kCaption); };
    for (const auto& [unit, value] :
         {std::pair{test_card_window::kFrom, "20"}, std::pair{test_card_window::kTo, "200"},
          std::pair{test_card_window::kCount, "3"}, std::pair{test_card_window::kCellSize, "20"}})
        card->set(unit, prop::editbox::kContent, std::string(value));
    // Run uploads the first cell and starts it; Stop lets that cell finish and ends the card there.
    cardButton(test_card_window::kRun);
    EXPECT_EQ(status(), "Test card: cell 1 of 3 (burn time 20)");
    EXPECT_TRUE(barText().startsWith("Test card: cell 1 of 3 (burn time 20) \u00B7 "))
        << barText().toStdString();
    cardButton(test_card_window::kStop);
    ASSERT_TRUE(processUntil([&] { return status().starts_with("Test card stopped"); }, 60s)) << logText();
    EXPECT_EQ(status(), "Test card stopped: cell 1 burnt. Run goes on from cell 2.");
    cardButton(test_card_window::kRun);
    EXPECT_EQ(status(), "Test card: cell 2 of 3 (burn time 110)");
    ASSERT_TRUE(processUntil([&] { return status().starts_with("Test card finished"); }, 90s)) << logText();
    EXPECT_EQ(status(), "Test card finished: cells 1 to 3 burnt.");
    EXPECT_EQ(boxes_.attention, 1);

    // Each cell: the erase burst, its own image, its burn time, Start, and its end before the next cell.
    const std::vector<std::string> heard = machineLines();
    const std::vector<std::string> burnTimes = {"14 ", "6E ", "C8 "};
    ASSERT_EQ(heard.size(), 15u) << engraver_->log();
    for (std::size_t k = 0; k < 3; ++k) {
        const std::vector<std::string> starts = {"FE x8", "image 32830 bytes", burnTimes[k], "F1 ",
                                                 "carving finished"};
        for (std::size_t i = 0; i < starts.size(); ++i)
            EXPECT_TRUE(heard[k * 5 + i].starts_with(starts[i])) << k << ": " << heard[k * 5 + i];
        const fs::path expected = dir_ / ("cell-" + std::to_string(k + 1) + ".bmp");
        const std::string command = std::string(TESSARY_PREPARE) +
                                    " --test-card 20:200:3 --cell-size 20 --cell " + std::to_string(k + 1) +
                                    " '" + expected.string() + "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const std::string sent = readFile(dir_ / "out" / ("image-" + std::to_string(k + 1) + ".bmp"));
        EXPECT_EQ(sent.size(), 32830u);
        EXPECT_TRUE(sent == readFile(expected)) << "cell " << k + 1;
    }
    EXPECT_EQ(logCount("Burning time:20\r\n\r\n") + logCount("Burning time:110\r\n\r\n") +
                  logCount("Burning time:200\r\n\r\n"),
              3u);
}

// Ctrl+Shift+B opens the card on its first field; Return runs what it shows (here refused, with the reason
// and nothing sent); Escape closes it.
TEST_F(Job, TheTestCardWindowOpensOnItsFirstFieldAndRefusesACardOutOfRangeWithTheReason) {
    console_ = std::make_unique<Console>(clock_, boxes_, host_, registry_);
    console_->setRunDirectory(dir_.string());
    ASSERT_TRUE(console_->createMainWindow(mainWindowDefinition()));
    const auto press = [](QWidget* top, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        top->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(top, 30000));
        QTest::keyClick(top->focusWidget() ? top->focusWidget() : top, key, modifiers);
    };
    const std::string before = logText();
    press(static_cast<qt::QtWindow&>(console_->main()).widget(), Qt::Key_B,
          Qt::ControlModifier | Qt::ShiftModifier);
    Window* card = console_->window(testCardWindowDefinition().name);
    ASSERT_TRUE(card);
    QWidget* top = static_cast<qt::QtWindow*>(card)->widget();
    top->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(top, 30000));
    EXPECT_EQ(top->focusWidget(), dynamic_cast<qt::QtUnit&>(card->unit(test_card_window::kFrom)).widget());
    card->set(test_card_window::kCount, prop::editbox::kContent, std::string("13"));
    press(top, Qt::Key_Return);
    EXPECT_EQ(card->getText(test_card_window::kStatus, prop::label::kCaption),
              "Not run: a card has 1 to 12 cells, not 13.");
    EXPECT_EQ(logText(), before);
    press(top, Qt::Key_Escape);
    EXPECT_FALSE(console_->window(testCardWindowDefinition().name));
}

}  // namespace
}  // namespace tessary
