#pragma once
// What the handlers need from the outside world, replaceable in tests.
#include <chrono>
#include <string_view>

namespace tessary {

class Clock {
public:
    virtual ~Clock() = default;
    // Blocks the window thread for the pause; window input is not taken meanwhile.
    virtual void sleep(std::chrono::milliseconds pause) = 0;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Modal to the application's windows, no owner window; code 0 is one OK button and no icon.
    // Returns when the operator has dismissed it.
    virtual void messageBox(std::string_view text, int code, std::string_view title) = 0;
};

}  // namespace tessary
