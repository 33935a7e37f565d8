#pragma once
#include <optional>
#include <string>
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
    // A file chooser for one existing file, opening in `folder` and offering the filters (Qt's
    // "Name (*.a *.b);;Other (*)" form). The chosen path, or nothing when the operator cancels.
    virtual std::optional<std::string> openFile(std::string_view title, std::string_view folder,
                                                std::string_view filters) {
        (void)title, (void)folder, (void)filters;
        return std::nullopt;
    }
};

}  // namespace tessary
