// SPDX-License-Identifier: GPL-3.0-or-later
// Passes and copies as a sequence of Starts and finished passes: what follows each, and what the bar says.
#include "engrave/job_repeats.h"

#include <gtest/gtest.h>

namespace tessary::engrave {
namespace {

using After = JobRepeats::After;

TEST(JobRepeatsTest, EachFinishedPassLeadsToTheNextPassPieceOrTheEnd) {
    struct Step {
        char event;       // 'S' Start (a fresh job on the machine), 'F' a pass finished, 'R' Restart
        After after;      // for 'F'
        std::string bar;  // runningText, or pieceDoneText while waiting for the next piece
    };
    struct Case {
        JobCounts counts;
        std::vector<Step> steps;
    };
    const std::string dot = " \xC2\xB7 ";
    const Case cases[] = {
        {{1, 1, true}, {{'S', {}, ""}, {'F', After::Done, ""}, {'S', {}, ""}, {'F', After::Done, ""}}},
        {{3, 1, true},
         {{'S', {}, "Pass 1 of 3"},
          {'F', After::NextPass, "Pass 2 of 3"},
          // Start again in the middle (the machine was lost and the image sent anew): the same pass.
          {'S', {}, "Pass 2 of 3"},
          {'F', After::NextPass, "Pass 3 of 3"},
          {'F', After::Done, "Pass 1 of 3"}}},
        {{2, 3, false},
         {{'S', {}, "Piece 1 of 3" + dot + "Pass 1 of 2"},
          {'F', After::NextPass, "Piece 1 of 3" + dot + "Pass 2 of 2"},
          {'F', After::NextPiece, "Piece 1 of 3 done: put the next piece in place and press Start"},
          {'S', {}, "Piece 2 of 3" + dot + "Pass 1 of 2"},
          {'R', {}, "Piece 1 of 3" + dot + "Pass 1 of 2"},
          {'S', {}, "Piece 1 of 3" + dot + "Pass 1 of 2"}}},
        {{1, 2, true},
         {{'S', {}, "Piece 1 of 2"},
          {'F', After::NextPiece, "Piece 1 of 2 done: put the next piece in place and press Start"},
          {'S', {}, "Piece 2 of 2"},
          {'F', After::Done, "Piece 1 of 2"},
          // Nothing runs: a stray report of the end counts nothing.
          {'F', After::Done, "Piece 1 of 2"}}},
    };
    for (const Case& c : cases) {
        JobRepeats repeats;
        repeats.setCounts(c.counts);
        int i = 0;
        for (const Step& s : c.steps) {
            SCOPED_TRACE(std::to_string(c.counts.passes) + "x" + std::to_string(c.counts.copies) + " step " +
                         std::to_string(i++));
            if (s.event == 'S') repeats.started({});
            if (s.event == 'R') repeats.ended();
            if (s.event == 'F') {
                EXPECT_EQ(repeats.passFinished(), s.after);
            }
            EXPECT_EQ(repeats.waitingForPiece() ? repeats.pieceDoneText() : repeats.runningText(), s.bar);
        }
    }
}

TEST(JobRepeatsTest, CountsAreKeptInRangeAndThePieceIsTimedFromItsFirstStart) {
    JobRepeats repeats;
    repeats.setCounts({0, 1000, true});
    EXPECT_EQ(repeats.counts(), (JobCounts{1, kMaxCopies, true}));
    repeats.setCounts({11, 0, false});
    EXPECT_EQ(repeats.counts(), (JobCounts{kMaxPasses, 1, false}));
    const JobRepeats::Time t0{};
    repeats.started(t0);
    repeats.passFinished();
    repeats.started(t0 + std::chrono::seconds(100));  // resumed: the piece began at t0
    EXPECT_EQ(repeats.pieceTime(t0 + std::chrono::seconds(242)).count(), 242);
}

}  // namespace
}  // namespace tessary::engrave
