// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dialogs and the clock as tests answer, record and drive them: the one set every test uses.
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
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
    // The file chooser answers with the queued paths (nothing: cancelled), recording where it opened.
    std::optional<std::string> openFile(std::string_view, std::string_view folder,
                                        std::string_view filters) override {
        chooserFolders.emplace_back(folder);
        chooserFilters = filters;
        if (chooserAnswers.empty()) return std::nullopt;
        std::optional<std::string> answer = chooserAnswers.front();
        chooserAnswers.erase(chooserAnswers.begin());
        return answer;
    }
    // Questions are answered from `answers`, then with the last choice (the one that changes nothing).
    std::size_t ask(std::string_view text, std::string_view,
                    const std::vector<std::string>& choices) override {
        asked.emplace_back(text);
        if (answers.empty()) return choices.size() - 1;
        const std::size_t answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    // The boxes shown as "title: text", with " (code N)" for a code other than 0.
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const ShownMessage& m : shown)
            out.push_back(m.title + ": " + m.text + (m.code ? " (code " + std::to_string(m.code) + ")" : ""));
        return out;
    }
    std::vector<ShownMessage> shown;
    std::function<void()> onShow;  // runs while the box is "open"
    std::vector<std::optional<std::string>> chooserAnswers;
    std::vector<std::string> chooserFolders;
    std::string chooserFilters;
    std::vector<std::string> asked;
    std::vector<std::size_t> answers;
};

// Tickers that run when the test says so rather than by the time; a tick may end its own ticker.
class ManualTicks {
  public:
    std::unique_ptr<Ticker> add(std::function<void()> tick) {
        entries_->push_back({++lastId_, std::move(tick)});
        return std::make_unique<Handle>(entries_, lastId_);
    }
    // Runs every live ticker `times` times.
    void tick(int times = 1) {
        for (int i = 0; i < times; ++i) {
            std::vector<int> ids;
            for (const auto& e : *entries_) ids.push_back(e.id);
            for (int id : ids) {
                const auto it = std::find_if(entries_->begin(), entries_->end(),
                                             [id](const Entry& e) { return e.id == id; });
                if (it == entries_->end()) continue;
                const auto tick = it->tick;
                tick();
            }
        }
    }
    std::size_t live() const { return entries_->size(); }

  private:
    struct Entry {
        int id;
        std::function<void()> tick;
    };
    using Entries = std::vector<Entry>;
    class Handle : public Ticker {
      public:
        Handle(std::weak_ptr<Entries> entries, int id) : entries_(std::move(entries)), id_(id) {}
        ~Handle() override {
            if (auto e = entries_.lock()) std::erase_if(*e, [this](const Entry& x) { return x.id == id_; });
        }

      private:
        std::weak_ptr<Entries> entries_;
        int id_;
    };
    std::shared_ptr<Entries> entries_ = std::make_shared<Entries>();
    int lastId_ = 0;
};

// Records pauses and runs `during` (if set) in place of each; its time is what the test sets, and its tickers
// tick when the test says so (or, without canTick, it is a clock that cannot tick).
class ScriptedClock : public Clock {
  public:
    void sleep(std::chrono::milliseconds pause) override {
        pauses.push_back(pause);
        if (during) during();
    }
    std::chrono::steady_clock::time_point now() override { return current; }
    std::unique_ptr<Ticker> every(std::chrono::milliseconds, std::function<void()> tick) override {
        return canTick ? ticks.add(std::move(tick)) : nullptr;
    }
    bool canTick = true;
    ManualTicks ticks;
    std::vector<std::chrono::milliseconds> pauses;
    std::function<void()> during;
    std::chrono::steady_clock::time_point current{};
};

}  // namespace tessary::testing
