#pragma once
// What the handlers need from the outside world, replaceable in tests.
#include <chrono>
#include <functional>
#include <memory>
#include <string_view>

namespace tessary {

// Runs its tick until it is destroyed.
class Ticker {
public:
    virtual ~Ticker() = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Blocks the window thread for the pause; window input is not taken meanwhile.
    virtual void sleep(std::chrono::milliseconds pause) = 0;
    // A steady time, for measuring how long things take.
    virtual std::chrono::steady_clock::time_point now() { return std::chrono::steady_clock::now(); }
    // Runs `tick` on the window thread every `interval` until the returned ticker is destroyed. A clock that
    // cannot tick returns nullptr and never runs it.
    virtual std::unique_ptr<Ticker> every(std::chrono::milliseconds interval, std::function<void()> tick) {
        (void)interval;
        (void)tick;
        return nullptr;
    }
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Modal to the application's windows, no owner window; code 0 is one OK button and no icon.
    // Returns when the operator has dismissed it.
    virtual void messageBox(std::string_view text, int code, std::string_view title) = 0;
};

}  // namespace tessary
