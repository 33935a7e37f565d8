// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/handlers/job_display.h"

#include <algorithm>
#include <memory>
#include <string>

#include "app/definitions/unit_names.h"
#include "intake/intake.h"
#include "intake/main_window_panels.h"

namespace tessary::engrave {
namespace {

constexpr auto kSilenceLook = std::chrono::milliseconds(500);

struct Job {
    JobProgress progress;
    std::string shown;  // the bar's text, empty while it is hidden
    std::unique_ptr<Ticker> silenceWatch;
};

void watchSilence(Console& console, Job& job) {
    if (!job.progress.awaitingReport()) {
        job.silenceWatch.reset();
        return;
    }
    if (job.silenceWatch) return;
    job.silenceWatch = console.clock().every(kSilenceLook, [&console] {
        if (console.hasMainWindow() && jobProgress(console).checkSilence(console.clock().now()))
            showJobProgress(console);
    });
}

}  // namespace

JobProgress& jobProgress(Console& console) { return console.state<Job>().progress; }

void showJobProgress(Console& console) {
    Job& job = console.state<Job>();
    watchSilence(console, job);
    const bool inJob = job.progress.state() != JobProgress::State::Idle;
    std::string text = inJob ? job.progress.barText() : std::string();
    if (text == job.shown) return;
    job.shown = text;
    if (text.empty()) {
        console.main().showProgress(main_window::kPreviewGroup, {});
        return;
    }
    console.main().showProgress(
        main_window::kPreviewGroup,
        {std::move(text), job.progress.done(), std::max<std::int64_t>(job.progress.total(), 1)});
}

void showJobNote(Console& console, std::string text) {
    Job& job = console.state<Job>();
    if (job.progress.state() != JobProgress::State::Idle || text == job.shown) return;
    job.shown = text;
    console.main().showProgress(main_window::kPreviewGroup, {std::move(text), 0, 1});
}

void forgetJobBar(Console& console) { console.state<Job>().shown.clear(); }

void redrawCanvas(Console& console, const image::Raster& picture) {
    intake::drawOnPanel(console.main().drawPanel(main_window::kCanvas), picture, intake::kSnapshotSize,
                        intake::kSnapshotSize);
}

}  // namespace tessary::engrave
