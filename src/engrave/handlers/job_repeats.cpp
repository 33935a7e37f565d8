// SPDX-License-Identifier: GPL-3.0-or-later
// Passes and copies: Recarve after each pass but the last, a stop for the next piece, and the notice when a
// piece is done; the Job window that sets them.
#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "engrave/handlers/engrave_handlers.h"
#include "engrave/handlers/job_display.h"

namespace tessary::engrave {
namespace {

namespace jw = job_window;

constexpr int kUpKey = 0x26, kDownKey = 0x28, kReturnKey = 0x0D;

Window* jobWindow(Console& console) { return console.window(jobWindowDefinition().name); }

std::optional<int> count(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

void noticeDone(Console& console) {
    if (jobRepeats(console).counts().notify) console.dialogs().askForAttention(console.main());
}

}  // namespace

void afterPass(Console& console) {
    if (testCardCellFinished(console)) {
        showJobProgress(console);
        return;
    }
    JobRepeats& repeats = jobRepeats(console);
    const std::chrono::seconds took = repeats.pieceTime(console.clock().now());
    switch (repeats.passFinished()) {
        case JobRepeats::After::NextPass:
            // As the button sends it; a Recarve that did not go out leaves the pass for Start.
            onRecarve(console, {});
            break;
        case JobRepeats::After::NextPiece:
            noticeDone(console);
            break;
        case JobRepeats::After::Done:
            if (repeats.counts().notify) showFinished(console, "Finished in " + durationText(took));
            noticeDone(console);
            break;
    }
    showJobProgress(console);
}

void onOpenJobWindow(Console& console, const EventArgs&) { console.openWindow(jobWindowDefinition()); }

void onFillJobWindow(Console& console, const EventArgs&) {
    Window* w = jobWindow(console);
    if (!w) return;
    const JobCounts& counts = jobRepeats(console).counts();
    w->set(jw::kPasses, prop::editbox::kContent, std::to_string(counts.passes));
    w->set(jw::kCopies, prop::editbox::kContent, std::to_string(counts.copies));
    w->set(jw::kNotify, prop::button::kChecked, std::int32_t{counts.notify ? 1 : 0});
}

namespace {

void countKey(Console& console, const EventArgs& args, std::string_view unit, int most) {
    Window* w = jobWindow(console);
    if (!w) return;
    if (args.a == kReturnKey) {
        onKeepJobCounts(console, args);
        return;
    }
    if (args.a != kUpKey && args.a != kDownKey) return;
    const int now = count(w->getText(unit, prop::editbox::kContent)).value_or(1);
    w->set(unit, prop::editbox::kContent,
           std::to_string(std::clamp(now + (args.a == kUpKey ? 1 : -1), 1, most)));
}

}  // namespace

void onPassesKey(Console& console, const EventArgs& args) {
    countKey(console, args, jw::kPasses, kMaxPasses);
}
void onCopiesKey(Console& console, const EventArgs& args) {
    countKey(console, args, jw::kCopies, kMaxCopies);
}

void onKeepJobCounts(Console& console, const EventArgs&) {
    Window* w = jobWindow(console);
    if (!w) return;
    JobCounts counts;
    counts.passes = count(w->getText(jw::kPasses, prop::editbox::kContent)).value_or(1);
    counts.copies = count(w->getText(jw::kCopies, prop::editbox::kContent)).value_or(1);
    counts.notify = w->getInt(jw::kNotify, prop::button::kChecked) != 0;
    jobRepeats(console).setCounts(counts);
    console.closeWindow(*w);
    showJobProgress(console);
}

void onCloseJobWindow(Console& console, const EventArgs&) {
    if (Window* w = jobWindow(console)) console.closeWindow(*w);
}

}  // namespace tessary::engrave
