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
#include <QTimer>
#include <QUrl>
#include <cctype>
#include <chrono>
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

    fs::path dir_;
    TimedClock clock_;
    testing::RecordingDialogs boxes_;
    qt::QtWindowHost host_;
    HandlerRegistry registry_;
    std::unique_ptr<Engraver> engraver_;
    std::unique_ptr<Console> console_;
};

TEST_F(Job, DroppedPictureIsSentAndCarvedWithTheLaserShownOverThePreview) {
    engraver_ = std::make_unique<Engraver>(dir_);
    ASSERT_TRUE(engraver_->started());
    ASSERT_TRUE(processUntil([&] { return fs::exists(dir_ / "COM5"); }, 10s)) << engraver_->log();

    console_ = std::make_unique<Console>(clock_, boxes_, host_, registry_);
    console_->setRunDirectory(dir_.string());
    ASSERT_TRUE(console_->createMainWindow(mainWindowDefinition()));
    Window& main = console_->main();
    ASSERT_EQ(main.getText(main_window::kConnect, prop::button::kCaption), "Connected");

    // A small black cross in a white picture: a short walk.
    image::Raster picture(60, 60);
    std::fill(picture.rgb.begin(), picture.rgb.end(), std::uint8_t{255});
    for (int i = 20; i < 40; ++i) {
        for (const auto& [x, y] : {std::pair{i, 30}, std::pair{30, i}})
            std::fill_n(picture.at(x, y), 3, std::uint8_t{0});
    }
    const fs::path picturePath = dir_ / "cross.bmp";
    std::ofstream(picturePath, std::ios::binary)
        .write(reinterpret_cast<const char*>(image::bmp24(picture, false).data()),
               static_cast<std::streamsize>(image::bmp24(picture, false).size()));

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(picturePath.string()))});
    QWidget* window = static_cast<qt::QtWindow&>(main).widget();
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    // A drop goes to the widget that took the drag's entry.
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    QApplication::sendEvent(window, &drop);
    ASSERT_TRUE(drop.isAccepted());
    ASSERT_TRUE(processUntil([&] { return !console_->state<intake::ImageState>().engraving.empty(); }, 10s))
        << main.getText(main_window::kLog, prop::editbox::kContent)
        << (boxes_.shown.empty() ? "" : boxes_.lines().front());
    const Bytes wireImage = console_->state<intake::ImageState>().engraving.ToByteSet();

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
    for (auto* bar : widget(main_window::kPreviewGroup)->findChildren<QProgressBar*>())
        EXPECT_FALSE(bar->isVisible());
    const QImage shown = widget(main_window::kPreview)->grab().toImage();
    for (const auto& [x, y] : black) {
        const QColor c = shown.pixelColor(x, y);
        EXPECT_TRUE(c.red() == 255 && c.green() == 0 && c.blue() == 0) << x << "," << y;
    }

    // What the machine heard: the erase burst, the image after the console's real pause, then Start.
    const std::string log = engraver_->log();
    std::vector<std::string> messages;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        // "[   12.345] FE x8 Erase last image: ...": the machine's line for each message it read.
        const auto close = line.find("] ");
        if (line.empty() || line[0] != '[' || close == std::string::npos) continue;
        const std::string text = line.substr(close + 2);
        const bool hex = text.size() > 2 && std::isxdigit(static_cast<unsigned char>(text[0])) &&
                         std::isxdigit(static_cast<unsigned char>(text[1])) && text[2] == ' ';
        if (hex || text.starts_with("FE x") || text.starts_with("image ") || text.starts_with("dropped ")) {
            messages.push_back(text);
        }
    }
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
    EXPECT_TRUE(messages[2].starts_with("F1 Start carving")) << log;
    EXPECT_EQ(readFile(dir_ / "out" / "image-1.bmp"), std::string(wireImage.begin(), wireImage.end()));
}

}  // namespace
}  // namespace tessary
