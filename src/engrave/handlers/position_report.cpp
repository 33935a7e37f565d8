// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdint>

#include "app/definitions/unit_names.h"
#include "engrave/handlers/engrave_handlers.h"
#include "engrave/handlers/job_display.h"
#include "engrave/handlers/job_guard.h"
#include "engrave/report_decoder.h"

namespace tessary::engrave {
namespace {

constexpr std::uint32_t kReportColour = 0x000000FF;  // red, as 0x00BBGGRR

// The decoder lives from start-up to exit; nothing but the sync byte resets it.
struct ReportState {
    ReportDecoder decoder;
};

}  // namespace

void onPositionReport(Console& console, const EventArgs& args) {
    const auto position = console.state<ReportState>().decoder.feed(static_cast<std::uint8_t>(args.a));
    if (!position) return;
    JobProgress& job = jobProgress(console);
    const Time now = console.clock().now();
    switch (job.report(*position, now)) {
        case JobProgress::Step::Nothing:
            break;
        case JobProgress::Step::Moved:
            showJobProgress(console);
            break;
        case JobProgress::Step::Finished:
            console.appendLog("Engraving finished in " + durationText(job.elapsed(now)) + "\r\n\r\n");
            showJobProgress(console);
            break;
    }
    if (job.state() == JobProgress::State::Idle) noteEarlierJob(console);
    if (!onSurface(*position) || !marksOnPreview(console)) return;
    console.main().drawPanel(main_window::kCanvas).plotMark(position->x, position->y, kReportColour);
}

void onMachineGone(Console& console) {
    jobProgress(console).machineLost();
    showJobProgress(console);
}

void onMachineBack(Console& console, const EventArgs&) {
    jobProgress(console).machineBack(console.clock().now());
    showJobProgress(console);
}

}  // namespace tessary::engrave
