// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The console with its real main window (offscreen Qt) and all its handlers, linked to a pty that plays the
// machine as COM5: the test holds the machine's end and sees every byte.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/console.h"
#include "app/model/value.h"
#include "app/qt/qt_window.h"
#include "app/qt/qt_window_host.h"
#include "pty_fixture.h"
#include "raster/raster.h"
#include "support/test_services.h"

namespace tessary::testing {

using namespace std::chrono_literals;

// The machine's end of the line: a pty master read continuously, linked as COMn (tests/link's pty fixture).
class MachineEnd {
  public:
    explicit MachineEnd(int com = 5);
    ~MachineEnd();
    MachineEnd(const MachineEnd&) = delete;
    MachineEnd& operator=(const MachineEnd&) = delete;

    void write(const Bytes& bytes) const;
    // Waits until at least `count` bytes have come, or until nothing more came for `quiet`; returns them all.
    Bytes received(std::size_t count = 0, std::chrono::milliseconds quiet = 30ms) const;
    void clear();
    void hangUp();       // closes the master: the device is gone for the console
    void plugInAgain();  // after hangUp: a new pty, linked as the same COMn

  private:
    void plugIn();
    void stopReading();
    int com_ = 5;
    test::PortDir ports_;
    std::unique_ptr<test::Pty> pty_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    Bytes bytes_;
    std::chrono::steady_clock::time_point lastByte_;
    std::thread reader_;
};

class ConsoleTest : public ::testing::Test {
  public:
    ConsoleTest();
    ~ConsoleTest() override;

    // Creates the main window; start-up connects to the machine's port.
    void start(Clock* clock = nullptr);
    Window& main() { return console->main(); }
    QWidget* widget(std::string_view unit);
    void click(std::string_view button);
    // What was appended to the log since start() or the last call.
    std::string newLog();
    // Takes in a picture through the intake handler (as a drop does) and forgets the log it wrote.
    void takeIn(const std::string& path);
    std::string writePicture(const image::Raster& picture, const std::string& name = "picture.bmp") const;
    // Runs the event loop until the condition holds or `limit` has passed.
    static bool processUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5s);
    bool enabled(std::string_view unit) { return main().getInt(unit, 6) == 0; }
    bool machinePortOpen();
    // The text of the bar over the preview; empty while it is hidden.
    std::string previewBar();

    MachineEnd machine;
    std::string runDir;
    ScriptedClock clock;
    RecordingDialogs boxes;
    qt::QtWindowHost host;
    HandlerRegistry registry;
    std::unique_ptr<Console> console;

  private:
    std::size_t logSeen_ = 0;
};

// A white picture with black pixels at the given points.
image::Raster pictureWithBlack(int width, int height, const std::vector<std::pair<int, int>>& black);
bool isRed(const QImage& image, int x, int y);

}  // namespace tessary::testing
