// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/handlers/job_display.h"

#include <algorithm>
#include <string>

#include "app/definitions/unit_names.h"

namespace tessary::engrave {
namespace {

constexpr std::string_view kPreviewGroup = unit::分组框2;

struct Job {
    JobProgress progress;
    std::string shown;  // the bar's text, empty while it is hidden
};

}  // namespace

JobProgress& jobProgress(Console& console) { return console.state<Job>().progress; }

void showJobProgress(Console& console) {
    Job& job = console.state<Job>();
    const bool inJob = job.progress.state() != JobProgress::State::Idle;
    std::string text = inJob ? job.progress.barText() : std::string();
    if (text == job.shown) return;
    job.shown = text;
    if (text.empty()) {
        console.main().showProgress(kPreviewGroup, {});
        return;
    }
    console.main().showProgress(kPreviewGroup, {std::move(text), job.progress.done(),
                                                std::max<std::int64_t>(job.progress.total(), 1)});
}

void forgetJobBar(Console& console) { console.state<Job>().shown.clear(); }

}  // namespace tessary::engrave
