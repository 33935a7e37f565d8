// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>
// What the handlers need from the outside world, replaceable in tests.
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
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
    // A file chooser for one existing file, opening in `folder` and offering the filters (Qt's
    // "Name (*.a *.b);;Other (*)" form). The chosen path, or nothing when the operator cancels.
    virtual std::optional<std::string> openFile(std::string_view title, std::string_view folder,
                                                std::string_view filters) {
        (void)title, (void)folder, (void)filters;
        return std::nullopt;
    }
    // A question with a button for each choice, modal as messageBox; the index of the choice taken, or the
    // last choice (which must be the one that changes nothing) when the box is closed otherwise.
    virtual std::size_t ask(std::string_view text, std::string_view title,
                            const std::vector<std::string>& choices) {
        (void)text, (void)title;
        return choices.empty() ? 0 : choices.size() - 1;
    }
};

// What the console remembers for its user between runs, as texts under keys ("group/name").
class Settings {
  public:
    virtual ~Settings() = default;
    virtual std::optional<std::string> value(std::string_view key) = 0;
    // False when the value will not be there in the next run (its file cannot be written).
    virtual bool setValue(std::string_view key, std::string_view value) = 0;
    // Where the values are kept, as the user would look for them; empty when nowhere.
    virtual std::string location() const { return {}; }
};

// Remembers for the run only.
class MemorySettings : public Settings {
  public:
    std::optional<std::string> value(std::string_view key) override {
        const auto it = values_.find(key);
        return it != values_.end() ? std::optional<std::string>(it->second) : std::nullopt;
    }
    bool setValue(std::string_view key, std::string_view value) override {
        values_[std::string(key)] = value;
        return true;
    }

  private:
    std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace tessary
