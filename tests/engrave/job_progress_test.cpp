// SPDX-License-Identifier: GPL-3.0-or-later
// A job's progress: the sent image's black pixels in carving order, the reports against them, the time left.
#include "engrave/job_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessary::engrave {
namespace {

using namespace std::chrono_literals;

// A 1-bit BMP as the console sends it: rows stored in the order given (the first is the machine's row 0),
// '#' black (a 0 bit), anything else white.
std::vector<std::uint8_t> wireImage(const std::vector<std::string>& rows) {
    const int width = static_cast<int>(rows.front().size()), height = static_cast<int>(rows.size());
    const int stride = (width + 31) / 32 * 4;
    std::vector<std::uint8_t> b(62 + static_cast<std::size_t>(stride * height), 0);
    const auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, static_cast<std::uint32_t>(b.size()));
    put(10, 62);
    put(14, 40);
    put(18, static_cast<std::uint32_t>(width));
    put(22, static_cast<std::uint32_t>(height));
    b[26] = 1;
    b[28] = 1;
    put(58, 0x00FFFFFF);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (rows[y][x] != '#') b[62 + y * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return b;
}

TEST(JobProgress, BlackPixelsCountInCarvingOrderUpToTheReportedOne) {
    const auto order = CarvingOrder::fromWireImage(wireImage({
        "#..#......",  // row 0: x 0, 3
        "..........",
        ".########.",  // row 2: x 1..8
    }));
    ASSERT_TRUE(order);
    EXPECT_EQ(order->total(), 10);
    const std::pair<Point, std::int64_t> cases[] = {
        {{0, 0}, 1},  {{2, 0}, 1},    {{3, 0}, 2},  {{9, 1}, 2},  {{0, 2}, 2},  {{4, 2}, 6},
        {{8, 2}, 10}, {{600, 2}, 10}, {{0, 3}, 10}, {{-1, 0}, 0}, {{5, -1}, 0},
    };
    for (const auto& [p, n] : cases) EXPECT_EQ(order->upTo(p), n) << p.x << "," << p.y;

    const std::vector<std::uint8_t> bad[] = {{},
                                             std::vector<std::uint8_t>(61, 0),
                                             [] {
                                                 auto b = wireImage({"#"});
                                                 b[28] = 24;  // not 1 bit per pixel
                                                 return b;
                                             }(),
                                             [] {
                                                 auto b = wireImage({"##", "##"});
                                                 b.resize(63);  // rows cut short
                                                 return b;
                                             }()};
    for (const auto& b : bad) EXPECT_FALSE(CarvingOrder::fromWireImage(b));
    const auto whole = wireImage({"#..#......", "..........", ".########."});
    for (std::size_t n = 0; n < whole.size(); ++n) {
        EXPECT_FALSE(CarvingOrder::fromWireImage(std::span(whole).first(n))) << "cut at " << n;
    }
}

TEST(JobProgress, DurationsReadAsMinutesAndSeconds) {
    const std::pair<long long, const char*> cases[] = {
        {0, "0 s"},          {59, "59 s"},        {60, "1 min 0 s"},
        {130, "2 min 10 s"}, {723, "12 min 3 s"}, {4500, "75 min 0 s"},
    };
    for (const auto& [s, text] : cases) EXPECT_EQ(durationText(std::chrono::seconds(s)), text);
}

TEST(JobProgress, ReportsMoveTheBarFromStartToTheLastBlackPixel) {
    // 20 black pixels: the whole of row 0 and row 1 of a 10-pixel-wide image.
    const auto order = CarvingOrder::fromWireImage(wireImage({"##########", "##########", ".........."}));
    ASSERT_TRUE(order);
    JobProgress job;
    const Time t0{};
    enum Action { Report, Start, Pause, Restart, Recarve, Skip, Lost, Back, Check };
    struct Step {
        Action action;
        std::chrono::milliseconds at;
        Point p;
        std::string bar;  // "" while no job runs
        JobProgress::Step result = JobProgress::Step::Nothing;
    };
    using S = JobProgress::Step;
    const std::string sep = " \xC2\xB7 about ";
    const std::string gone = " \xC2\xB7 machine not connected";
    const std::string silent(JobProgress::kSilentText);
    const Step steps[] = {
        {Report, 0ms, {9, 1}, ""},  // a jog before the job: not counted
        {Start, 0ms, {}, "Engraving: 0 %"},
        {Report, 0ms, {0, 0}, "Engraving: 5 %", S::Moved},
        {Report, 500ms, {4, 0}, "Engraving: 25 %", S::Moved},  // half a second: no rate yet
        {Report, 2000ms, {9, 0}, "Engraving: 50 %" + sep + "3 s left", S::Moved},  // 9 pixels in 2 s, 10 left
        {Pause, 2000ms, {}, "Paused"},
        {Report, 9000ms, {5, 5}, "Paused"},  // a jog while paused
        {Pause, 30000ms, {}, "Engraving: 50 %" + sep + "3 s left"},
        {Report, 30000ms, {0, 1}, "Engraving: 55 %", S::Moved},  // the rate starts again after the pause
        {Skip, 30000ms, {}, "Engraving: 55 %"},
        {Report, 31000ms, {4, 1}, "Engraving: 75 %", S::Moved},
        {Report, 33000ms, {8, 1}, "Engraving: 95 %" + sep + "1 s left", S::Moved},
        {Start, 33000ms, {}, "Engraving: 95 %" + sep + "1 s left"},  // again, while it runs
        {Check, 38000ms, {}, "Engraving: 95 %" + silent},            // no report since: no time left either
        {Lost, 38000ms, {}, "Engraving: 95 %" + gone},
        {Check, 40000ms, {}, "Engraving: 95 %" + gone},
        {Back, 40000ms, {}, "Engraving: 95 %"},  // as it stands
        {Check, 44000ms, {}, "Engraving: 95 %"},
        {Check, 45000ms, {}, "Engraving: 95 %" + silent},  // 5 s and no report since the machine came back
        {Recarve, 45000ms, {}, "Engraving: 0 %"},          // reached the machine: it is back
        {Report, 46000ms, {1, 0}, "Engraving: 10 %", S::Moved},
        {Pause, 46000ms, {}, "Paused"},
        {Lost, 46000ms, {}, "Paused" + gone},
        {Back, 47000ms, {}, "Paused"},
        {Check, 60000ms, {}, "Paused"},  // no report is due while paused
        {Pause, 60000ms, {}, "Engraving: 10 %"},
        {Check, 65000ms, {}, "Engraving: 10 %" + silent},
        {Lost, 65000ms, {}, "Engraving: 10 %" + gone},
        {Report, 66000ms, {2, 0}, "Engraving: 15 %", S::Moved},  // its reports come again
        {Check, 80000ms, {}, "Engraving: 15 %"},
        {Report, 85000ms, {9, 1}, "", S::Finished},
        {Report, 86000ms, {0, 0}, ""},
        {Start, 90000ms, {}, "Engraving: 0 %"},
        {Restart, 91000ms, {}, ""},
        {Report, 92000ms, {9, 1}, ""},
    };
    job.imageSent(*order);
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("step " + std::to_string(i++));
        const Time now = t0 + s.at;
        JobProgress::Step result = S::Nothing;
        switch (s.action) {
            case Report:
                result = job.report(s.p, now);
                break;
            case Start:
                job.start(now);
                break;
            case Pause:
                job.pause(now);
                break;
            case Restart:
                job.restart();
                break;
            case Recarve:
                job.recarve(now);
                break;
            case Skip:
                job.skip();
                break;
            case Lost:
                job.machineLost();
                break;
            case Back:
                job.machineBack(now);
                break;
            case Check:
                job.checkSilence(now);
                break;
        }
        EXPECT_EQ(result, s.result);
        EXPECT_EQ(job.state() == JobProgress::State::Idle ? "" : job.barText(), s.bar);
        if (result == S::Finished) {
            EXPECT_EQ(durationText(job.elapsed(now)), "1 min 25 s") << "from Start, pauses included";
        }
    }
}

}  // namespace
}  // namespace tessary::engrave
