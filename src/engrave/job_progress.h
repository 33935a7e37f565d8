// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How far a job has come: the sent image's black pixels in the order the machine carves them (rows from the
// top, left to right within a row), the reported positions against them, and the time left from the recent
// rate. Plain C++: the handlers feed it reports and times and show what it says.
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engrave/report_decoder.h"

namespace tessary::engrave {

class CarvingOrder {
  public:
    // From the image as it went over the wire: a 1-bit BMP file whose first stored row is the machine's top
    // row (reported y = 0) and whose 0 bits are burnt. None for anything else.
    static std::optional<CarvingOrder> fromWireImage(std::span<const std::uint8_t> bmp);

    std::int64_t total() const { return rowStart_.empty() ? 0 : rowStart_.back(); }
    // The black pixels at or before p in carving order: the reported pixel counts as carved.
    std::int64_t upTo(Point p) const;

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::int64_t> rowStart_;  // black pixels before each row; one more entry for the total
    std::vector<std::uint8_t> black_;     // one byte per pixel, 1 for black, row by row
};

using Time = std::chrono::steady_clock::time_point;

// "42 s", "2 min 10 s", "75 min 0 s": whole seconds.
std::string durationText(std::chrono::seconds seconds);

class JobProgress {
  public:
    enum class State { Idle, Running, Paused };
    enum class Step { Nothing, Moved, Finished };

    // The machine's image is erased by every upload, replaced by a successful one.
    void imageErased();
    void imageSent(CarvingOrder order);

    // The commands as the machine takes them: Start begins a job or resumes a paused one, Pause toggles,
    // Restart ends the job, Recarve carves again from the top, a row skip breaks the rate. Start and Recarve
    // say whether the count began anew (the marks of an earlier run are then out of date).
    bool start(Time now);
    void pause(Time now);
    void restart();
    bool recarve(Time now);
    void skip();
    // The machine's link is gone (unplugged, Break): until its reports come again the bar says so and
    // claims no time left.
    void machineLost();
    // The link is open again: the bar shows the job as it stands, and a running job expects reports.
    void machineBack(Time now);
    // A position report. Reports outside a running job do not count.
    Step report(Point p, Time now);
    // Whether a running job waits for its first report since Start, a resume or a reconnection; checkSilence
    // tells whether the wait has just become too long for a machine that works (a machine switched off and
    // on has lost its image and sends nothing).
    bool awaitingReport() const { return awaiting_ && !silent_ && !lost_ && state_ == State::Running; }
    bool checkSilence(Time now);

    State state() const { return state_; }
    // From Start until the job finishes, is restarted or the machine is lost: the machine works on the image
    // it was sent.
    bool carving() const { return state_ != State::Idle && !lost_; }
    std::int64_t done() const { return done_; }
    std::int64_t total() const { return order_ ? order_->total() : 0; }
    // "Engraving: 37 % · about 2 min 10 s left", "Engraving: 37 %" while there is no rate yet, "Paused";
    // "· machine not connected" after either while the link is gone; kSilentText in place of the time left
    // once a running job has waited kSilence for a report.
    std::string barText() const;
    // From Start to the last black pixel, pauses included.
    std::chrono::seconds elapsed(Time now) const;

    // The rate is taken over this much of the most recent reports, once they span at least kMinSpan.
    static constexpr std::chrono::seconds kRateWindow{10};
    static constexpr std::chrono::seconds kMinSpan{1};
    static constexpr std::chrono::seconds kSilence{5};
    static constexpr std::string_view kSilentText =
        " \xC2\xB7 no reports: the machine may need Send Image To Machine";

  private:
    struct Sample {
        Time at;
        std::int64_t done;
    };
    void begin(Time now);
    void clearCount();  // nothing carved, no rate, no time left
    void await(Time now);
    void updateTimeLeft(Time now);

    std::optional<CarvingOrder> order_;
    State state_ = State::Idle;
    Time started_{};
    std::int64_t done_ = 0;
    int percent_ = 0;
    std::deque<Sample> samples_;
    std::optional<std::chrono::seconds> left_;
    Time leftAt_{};
    bool lost_ = false;
    bool awaiting_ = false;
    bool silent_ = false;
    Time awaitingSince_{};
};

}  // namespace tessary::engrave
