// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Passes (the same image burnt again over itself, for depth) and copies (the job done again on the next
// piece): which pass of which piece runs, and what follows when a pass finishes. Plain C++: the handlers
// send the commands and show what it says.
#include <chrono>
#include <string>

namespace tessary::engrave {

struct JobCounts {
    int passes = 1;  // 1..10
    int copies = 1;  // 1..999
    bool notify = true;
    bool operator==(const JobCounts&) const = default;
};
inline constexpr int kMaxPasses = 10;
inline constexpr int kMaxCopies = 999;

class JobRepeats {
  public:
    using Time = std::chrono::steady_clock::time_point;
    enum class After { NextPass, NextPiece, Done };

    const JobCounts& counts() const { return counts_; }
    // Values out of range are brought into it; a count lowered below the pass or piece in progress ends the
    // job at the one in progress.
    void setCounts(JobCounts counts);

    // Start reached the machine and began a job there: the first pass of the first piece, the next piece
    // after one was done, or the pass in progress again (resumed, or carved anew after the machine was lost).
    void started(Time now);
    // Restart ended the job: the counts begin anew.
    void ended();
    // The machine reported the last black dot of the pass in progress; called once for each.
    After passFinished();

    bool inJob() const { return phase_ != Phase::Idle; }
    bool running() const { return phase_ == Phase::Running; }
    bool waitingForPiece() const { return phase_ == Phase::NextPiece; }
    int pass() const { return pass_; }
    int piece() const { return piece_; }
    // From the piece's first Start.
    std::chrono::seconds pieceTime(Time now) const;

    // "Pass 2 of 3", "Piece 4 of 10", "Piece 4 of 10 · Pass 2 of 3"; empty for one pass of one piece.
    std::string runningText() const;
    // "Piece 2 of 10 done: put the next piece in place and press Start".
    std::string pieceDoneText() const;

  private:
    enum class Phase { Idle, Running, NextPiece };
    JobCounts counts_;
    Phase phase_ = Phase::Idle;
    int pass_ = 1;
    int piece_ = 1;
    Time pieceStarted_{};
};

}  // namespace tessary::engrave
