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
    JobRepeats repeats;
    std::string finished;  // "Finished in 4 min 2 s" until the next job or upload
    std::string heading;   // what the job is part of, before its progress; else the pass and piece
    std::string shown;     // the bar's text, empty while it is hidden
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
JobRepeats& jobRepeats(Console& console) { return console.state<Job>().repeats; }
void showFinished(Console& console, std::string text) { console.state<Job>().finished = std::move(text); }
void setJobHeading(Console& console, std::string text) { console.state<Job>().heading = std::move(text); }

namespace {

// Between passes and pieces the bar says what comes next; after the job, how long the piece took.
std::string idleText(const Job& job) {
    if (job.repeats.waitingForPiece()) return job.repeats.pieceDoneText();
    const std::string running = job.repeats.runningText();
    if (job.repeats.inJob() && !running.empty()) return running + ": press Start to go on";
    return job.finished;
}

}  // namespace

void showJobProgress(Console& console) {
    Job& job = console.state<Job>();
    watchSilence(console, job);
    const bool inJob = job.progress.state() != JobProgress::State::Idle;
    std::string text = inJob ? job.progress.barText() : idleText(job);
    const std::string heading = job.heading.empty() ? job.repeats.runningText() : job.heading;
    if (inJob && !heading.empty()) text = heading + " \xC2\xB7 " + text;
    if (text == job.shown) return;
    job.shown = text;
    if (text.empty()) {
        console.main().showProgress(main_window::kPreviewGroup, {});
        return;
    }
    if (!inJob) {
        console.main().showProgress(main_window::kPreviewGroup, {std::move(text), 1, 1});
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

void forgetJobBar(Console& console) {
    console.state<Job>().shown.clear();
    console.state<Job>().finished.clear();
}

void redrawCanvas(Console& console, const image::Raster& picture) {
    intake::drawOnPanel(console.main().drawPanel(main_window::kCanvas), picture, intake::kSnapshotSize,
                        intake::kSnapshotSize);
}

}  // namespace tessary::engrave
