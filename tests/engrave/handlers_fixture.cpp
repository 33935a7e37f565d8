// SPDX-License-Identifier: GPL-3.0-or-later
#include "handlers_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QEventLoop>
#include <QProgressBar>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
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
    std::string pattern = (fs::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) fail("mkdtemp");
    return pattern;
}
}  // namespace

MachineEnd::MachineEnd(int com) : com_(com) {
    dir_ = makeTempDir("tessary-ports");
    if (const char* old = std::getenv("TESSARY_PORT_DIR")) {
        hadPrevious_ = true;
        previousDir_ = old;
    }
    ::setenv("TESSARY_PORT_DIR", dir_.c_str(), 1);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    plugIn();
}

void MachineEnd::plugIn() {
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0) fail("openpty");
    ::close(slave);
    termios t{};
    ::tcgetattr(master_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master_, TCSANOW, &t);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    const fs::path link = fs::path(dir_) / ("COM" + std::to_string(com_));
    std::error_code ec;
    fs::remove(link, ec);
    fs::create_symlink(name, link);
    reader_ = std::thread([this] { read(); });
}

void MachineEnd::plugInAgain() {
    reader_.join();
    std::uint64_t count = 0;
    [[maybe_unused]] auto n = ::read(stopFd_, &count, sizeof count);  // the stop hangUp asked for
    plugIn();
}

MachineEnd::~MachineEnd() {
    std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(stopFd_, &one, sizeof one);
    reader_.join();
    ::close(stopFd_);
    if (master_ >= 0) ::close(master_);
    if (hadPrevious_)
        ::setenv("TESSARY_PORT_DIR", previousDir_.c_str(), 1);
    else
        ::unsetenv("TESSARY_PORT_DIR");
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

void MachineEnd::read() {
    std::uint8_t buffer[4096];
    for (;;) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
        if (fds[1].revents) return;
        // Until the console opens the slave, the master reports a hang-up: wait for it.
        if (!(fds[0].revents & POLLIN)) {
            std::this_thread::sleep_for(2ms);
            continue;
        }
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            std::this_thread::sleep_for(2ms);
            continue;
        }
        std::lock_guard lock(mutex_);
        bytes_.insert(bytes_.end(), buffer, buffer + n);
    }
}

void MachineEnd::write(const Bytes& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (errno != EINTR && errno != EAGAIN)
            fail("write to the pty master");
    }
}

Bytes MachineEnd::received(std::size_t count, std::chrono::milliseconds quiet) const {
    // On a busy machine the reader thread may run long after the console wrote: bytes still waiting in the
    // pty are not quiet, and an expected count is waited for up to a deadline rather than a quiet spell.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    std::size_t seen = 0;
    auto lastChange = std::chrono::steady_clock::now();
    for (;;) {
        int pending = 0;
        if (::ioctl(master_, FIONREAD, &pending) == 0 && pending > 0)
            lastChange = std::chrono::steady_clock::now();
        {
            std::lock_guard lock(mutex_);
            if (bytes_.size() != seen) {
                seen = bytes_.size();
                lastChange = std::chrono::steady_clock::now();
            }
            if (count > 0 && seen >= count) return bytes_;
            const auto now = std::chrono::steady_clock::now();
            if (count > 0 ? now >= deadline : now - lastChange >= quiet) return bytes_;
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
    std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(stopFd_, &one, sizeof one);
    reader_.join();
    ::close(master_);
    master_ = -1;
    reader_ = std::thread([] {});
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
    ASSERT_EQ(main().getText("按钮连接", prop::button::kCaption), "Connected");
    newLog();
}

bool ConsoleTest::machinePortOpen() {
    auto* port = link::findSerialPort(main(), "端口1");
    return port && port->isOpen();
}

std::string ConsoleTest::previewBar() {
    for (auto* bar : widget("分组框2")->findChildren<QProgressBar*>()) {
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
    const std::string log = main().getText("编辑框1", prop::editbox::kContent);
    const std::string added = log.substr(std::min(logSeen_, log.size()));
    logSeen_ = log.size();
    return added;
}

void ConsoleTest::takeIn(const std::string& path) {
    static_cast<qt::QtWindow&>(main()).raise("拖放对象1", event::kFilesDropped, {0, 0, 0, path});
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
