// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Real kernel ttys for the serial port tests: pseudo-terminal pairs linked as COMn in a temporary
// TESSARY_PORT_DIR, a sink that records raised events, and a wait that keeps the window thread's loop
// running.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/model/unit.h"
#include "app/model/value.h"

namespace tessary::test {

using namespace std::chrono_literals;

// A temporary port directory installed as TESSARY_PORT_DIR for the fixture's lifetime.
class PortDir {
  public:
    PortDir();
    ~PortDir();
    PortDir(const PortDir&) = delete;
    PortDir& operator=(const PortDir&) = delete;
    const std::string& path() const { return path_; }
    // Links COMn to the target, in place of the link it had.
    void link(int com, const std::string& target) const;

  private:
    std::string path_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// The far end of a port: the test holds the master side (the machine) and keeps one slave descriptor open
// so that the slave's line settings can be read back.
class Pty {
  public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    int slave() const { return slave_; }
    const std::string& slavePath() const { return slavePath_; }
    void write(const Bytes& bytes) const;
    // Bytes the port sent, gathered until `count` arrived or nothing came for `quiet`.
    Bytes read(std::size_t count, std::chrono::milliseconds quiet = 300ms) const;
    void closeMaster();

  private:
    int master_ = -1;
    int slave_ = -1;
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
