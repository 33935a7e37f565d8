// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/handlers/job_guard.h"

#include <string>
#include <vector>

#include "app/definitions/unit_names.h"
#include "engrave/handlers/engrave_handlers.h"
#include "engrave/handlers/job_display.h"

namespace tessary::engrave {
namespace {

struct Guard {
    bool startedThisSession = false;
    bool previewChanged = false;  // since the image was sent
    bool earlierJobSaid = false;
};

bool mayCloseDuringJob(Console& console) {
    if (!console.hasMainWindow() || !jobProgress(console).carving()) return true;
    const std::vector<std::string> choices = {"Pause the machine and close", "Close and let it carve",
                                              "Cancel"};
    switch (console.dialogs().ask(kCloseDuringJobText, "Tessary", choices)) {
        case 0:
            onPause(console, {});
            return true;
        case 1:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool mayChangePreview(Console& console) {
    if (!console.hasMainWindow() || !jobProgress(console).carving()) return true;
    const std::vector<std::string> choices = {"Change the preview", "Keep the preview"};
    if (console.dialogs().ask(kChangePreviewText, kChangePreviewTitle, choices) != 0) return false;
    console.state<Guard>().previewChanged = true;
    return true;
}

void guardJob(Console& console) {
    console.state<Guard>().startedThisSession = true;
    console.setMainWindowCloseCheck([&console] { return mayCloseDuringJob(console); });
}

bool marksOnPreview(Console& console) { return !console.state<Guard>().previewChanged; }

void previewIsSentImage(Console& console) { console.state<Guard>().previewChanged = false; }

void noteEarlierJob(Console& console) {
    Guard& guard = console.state<Guard>();
    if (guard.startedThisSession || guard.earlierJobSaid) return;
    guard.earlierJobSaid = true;
    showJobNote(console, std::string(kEarlierImageText));
}

}  // namespace tessary::engrave
