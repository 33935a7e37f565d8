// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Real kernel ttys for the serial port tests: pseudo-terminal pairs whose master plays the machine, linked as
// COMn for the duration of a test (posix/: a temporary TESSARY_PORT_DIR; win32/: the wine prefix's COM ports,
// reached through tessary-pty-relay), a sink that records raised events, and a wait that keeps the window
// thread's loop running.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/model/unit.h"
#include "app/model/value.h"
#include "tty_line.h"

namespace tessary::test {

using namespace std::chrono_literals;

// Whether the unit under test is the Windows one (some line settings exist only there).
bool serialUnitIsWindows();

// The test's COM ports: none leads anywhere until linked.
class PortDir {
  public:
    PortDir();
    ~PortDir();
    PortDir(const PortDir&) = delete;
    PortDir& operator=(const PortDir&) = delete;
    // Links COMn to the target (a path on the Linux side), in place of the link it had.
    void link(int com, const std::string& target) const;

  private:
    struct Links;
    std::unique_ptr<Links> links_;
};

// The far end of a port: the test holds the master side (the machine).
class Pty {
  public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    void write(const Bytes& bytes) const;
    // Bytes the port sent, gathered until `count` arrived or nothing came for `quiet`.
    Bytes read(std::size_t count, std::chrono::milliseconds quiet = 300ms) const;
    // The same, taken no faster than a line carries `bytesPerSecond` (57600 baud: 5,760).
    Bytes readAtRate(std::size_t count, int bytesPerSecond, std::chrono::milliseconds quiet = 3s) const;
    // The line settings the port gave the slave side.
    TtyLine line() const;
    // The machine is unplugged: the slave side hangs up.
    void closeMaster();

  private:
    struct Master;
    std::unique_ptr<Master> master_;
    std::string slavePath_;
};

struct RaisedEvent {
    std::string unit;
    int event;
    int value;
    bool operator==(const RaisedEvent&) const = default;
};

class RecordingSink : public EventSink {
  public:
    void raise(const std::string& unit, int event, const EventArgs& args) override;
    bool alive() const override { return alive_; }

    std::vector<RaisedEvent> events;
    bool alive_ = true;
    std::function<void(const RaisedEvent&)> onRaise;
};

// Runs the thread's event loop until the condition holds or the time is up; returns the condition.
bool processUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5s);
void processFor(std::chrono::milliseconds period);

// CPU time (user + system) consumed by the whole process so far.
std::chrono::microseconds processCpuTime();

}  // namespace tessary::test
