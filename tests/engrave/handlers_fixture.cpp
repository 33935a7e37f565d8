// SPDX-License-Identifier: GPL-3.0-or-later
#include "handlers_fixture.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QProgressBar>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "console/program_parts.h"
#include "image/picture.h"
#include "link/serial_port.h"

namespace tessary::testing {
namespace fs = std::filesystem;

namespace {
[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

std::string makeTempDir(const char* stem) {
    std::random_device random;
    for (;;) {
        const fs::path dir = fs::temp_directory_path() / (std::string(stem) + "-" + std::to_string(random()));
        if (fs::create_directory(dir)) return dir.string();
    }
}
}  // namespace

MachineEnd::MachineEnd(int com) : com_(com) { plugIn(); }

void MachineEnd::plugIn() {
    pty_ = std::make_unique<test::Pty>();
    ports_.link(com_, pty_->slavePath());
    stop_ = false;
    reader_ = std::thread([this] {
        while (!stop_) {
            const Bytes got = pty_->read(4096, 5ms);
            if (got.empty()) {
                std::this_thread::sleep_for(1ms);
                continue;
            }
            std::lock_guard lock(mutex_);
            bytes_.insert(bytes_.end(), got.begin(), got.end());
            lastByte_ = std::chrono::steady_clock::now();
        }
    });
}

void MachineEnd::stopReading() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
}

void MachineEnd::plugInAgain() { plugIn(); }

MachineEnd::~MachineEnd() { stopReading(); }

void MachineEnd::write(const Bytes& bytes) const { pty_->write(bytes); }

Bytes MachineEnd::received(std::size_t count, std::chrono::milliseconds quiet) const {
    // On a busy machine the reader may run long after the console wrote: an expected count is waited for up
    // to a deadline rather than a quiet spell.
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + 10s;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            const auto now = std::chrono::steady_clock::now();
            if (count > 0 && bytes_.size() >= count) return bytes_;
            if (count > 0 ? now >= deadline : now - std::max(lastByte_, start) >= quiet) return bytes_;
        }
        std::this_thread::sleep_for(1ms);
    }
}

void MachineEnd::clear() {
    received();
    std::lock_guard lock(mutex_);
    bytes_.clear();
}

void MachineEnd::hangUp() {
    received();
    stopReading();
    // What the console wrote before the plug came out is still the machine's (under wine it may still be on
    // its way through the relay).
    for (Bytes rest; !(rest = pty_->read(4096, 50ms)).empty();) {
        std::lock_guard lock(mutex_);
        bytes_.insert(bytes_.end(), rest.begin(), rest.end());
    }
    pty_->closeMaster();
}

ConsoleTest::ConsoleTest() : runDir(makeTempDir("tessary-run")) {
    registerAllHandlers(registry);
    host.setSerialPortFactory(serialPortFactory());
}

ConsoleTest::~ConsoleTest() {
    if (console) console->destroyMainWindow();
    console.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::error_code ec;
    fs::remove_all(runDir, ec);
}

void ConsoleTest::start(Clock* useClock) {
    console = std::make_unique<Console>(useClock ? *useClock : clock, boxes, host, registry);
    console->setRunDirectory(runDir);
    ASSERT_TRUE(console->createMainWindow(mainWindowDefinition()));
    QCoreApplication::processEvents();
    ASSERT_EQ(main().getText(main_window::kConnect, prop::button::kCaption), "Connected");
    newLog();
}

bool ConsoleTest::machinePortOpen() {
    auto* port = link::findSerialPort(main(), main_window::kPort);
    return port && port->isOpen();
}

std::string ConsoleTest::previewBar() {
    for (auto* bar : widget(main_window::kPreviewGroup)->findChildren<QProgressBar*>()) {
        if (bar->isVisible()) return bar->text().toStdString();
    }
    return {};
}

QWidget* ConsoleTest::widget(std::string_view unit) {
    auto* u = dynamic_cast<qt::QtUnit*>(main().find(unit));
    return u ? u->widget() : nullptr;
}

void ConsoleTest::click(std::string_view button) {
    auto* b = qobject_cast<QAbstractButton*>(widget(button));
    ASSERT_NE(b, nullptr) << button;
    b->click();
}

std::string ConsoleTest::newLog() {
    const std::string log = main().getText(main_window::kLog, prop::editbox::kContent);
    const std::string added = log.substr(std::min(logSeen_, log.size()));
    logSeen_ = log.size();
    return added;
}

void ConsoleTest::takeIn(const std::string& path) {
    static_cast<qt::QtWindow&>(main()).raise(main_window::kDropTarget, event::kFilesDropped, {0, 0, 0, path});
    newLog();
}

std::string ConsoleTest::writePicture(const image::Raster& picture, const std::string& name) const {
    const std::string path = (fs::path(runDir) / name).string();
    const Bytes bmp = image::bmp24(picture, false);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) fail("fopen");
    std::fwrite(bmp.data(), 1, bmp.size(), f);
    std::fclose(f);
    return path;
}

bool ConsoleTest::processUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

image::Raster pictureWithBlack(int width, int height, const std::vector<std::pair<int, int>>& black) {
    image::Raster r(width, height);
    std::fill(r.rgb.begin(), r.rgb.end(), std::uint8_t{255});
    for (const auto& [x, y] : black) {
        std::uint8_t* p = r.at(x, y);
        p[0] = p[1] = p[2] = 0;
    }
    return r;
}

bool isRed(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return c.red() == 255 && c.green() == 0 && c.blue() == 0;
}

}  // namespace tessary::testing
