// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Services that tests answer and record.
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
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

}  // namespace tessary::testing
