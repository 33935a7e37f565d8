// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/job_repeats.h"

#include <algorithm>

namespace tessary::engrave {

void JobRepeats::setCounts(JobCounts counts) {
    counts.passes = std::clamp(counts.passes, 1, kMaxPasses);
    counts.copies = std::clamp(counts.copies, 1, kMaxCopies);
    counts_ = counts;
}

void JobRepeats::started(Time now) {
    switch (phase_) {
        case Phase::Idle:
            piece_ = 1;
            pass_ = 1;
            pieceStarted_ = now;
            break;
        case Phase::NextPiece:
            ++piece_;
            pass_ = 1;
            pieceStarted_ = now;
            break;
        case Phase::Running:
            break;
    }
    phase_ = Phase::Running;
}

void JobRepeats::ended() {
    phase_ = Phase::Idle;
    pass_ = piece_ = 1;
}

JobRepeats::After JobRepeats::passFinished() {
    if (phase_ != Phase::Running) return After::Done;
    if (pass_ < counts_.passes) {
        ++pass_;
        return After::NextPass;
    }
    if (piece_ < counts_.copies) {
        phase_ = Phase::NextPiece;
        return After::NextPiece;
    }
    ended();
    return After::Done;
}

std::chrono::seconds JobRepeats::pieceTime(Time now) const {
    return std::chrono::duration_cast<std::chrono::seconds>(now - pieceStarted_ +
                                                            std::chrono::milliseconds(500));
}

std::string JobRepeats::runningText() const {
    const std::string pass = "Pass " + std::to_string(pass_) + " of " + std::to_string(counts_.passes);
    const std::string piece = "Piece " + std::to_string(piece_) + " of " + std::to_string(counts_.copies);
    if (counts_.copies > 1 && counts_.passes > 1) return piece + " \xC2\xB7 " + pass;
    if (counts_.copies > 1) return piece;
    if (counts_.passes > 1) return pass;
    return {};
}

std::string JobRepeats::pieceDoneText() const {
    return "Piece " + std::to_string(piece_) + " of " + std::to_string(counts_.copies) +
           " done: put the next piece in place and press Start";
}

}  // namespace tessary::engrave
