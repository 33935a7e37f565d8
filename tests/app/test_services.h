#pragma once
// Services that tests answer and record.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/model/service_interfaces.h"

namespace tessary::testing {

struct ShownMessage {
    std::string text;
    int code = 0;
    std::string title;
    bool operator==(const ShownMessage&) const = default;
};

class RecordingDialogs : public Dialogs {
public:
    void messageBox(std::string_view text, int code, std::string_view title) override {
        shown.push_back({std::string(text), code, std::string(title)});
        if (onShow) onShow();
    }
    std::vector<ShownMessage> shown;
    std::function<void()> onShow;  // runs while the box is "open"
};

class RecordingClock : public Clock {
public:
    void sleep(std::chrono::milliseconds pause) override { pauses.push_back(pause); }
    std::vector<std::chrono::milliseconds> pauses;
};

}  // namespace tessary::testing
