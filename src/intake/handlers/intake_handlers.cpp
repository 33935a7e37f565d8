// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/handlers/intake_handlers.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "app/shell/control_states.h"
#include "image/files.h"
#include "image/picture.h"
#include "intake/handlers/main_window_surroundings.h"
#include "intake/handlers/text_window.h"
#include "intake/intake.h"
#include "intake/photo_measure.h"
#include "job/job_file.h"
#include "job/replay.h"
#include "platform/paths.h"
#include "platform/user_folders.h"
#include "tessary_resources.h"

namespace tessary {
namespace intake {
namespace {

struct UnsavedOptionsState {
    bool said = false;
};

// The folder of the last picture chosen in the file chooser, for the run (when the settings cannot keep it).
struct OpenPictureState {
    std::string folder;
};

// Kept beside the picture options, so the next run's chooser opens there too.
constexpr std::string_view kOpenFolderKey = "picture/openFolder";

bool isFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(platform::pathFromText(path), error);
}

// Never the current folder (an installed program's own, with its plugin folders): a chooser given no
// folder opens there.
std::string chooserFolder(Console& console) {
    const std::string& used = console.state<OpenPictureState>().folder;
    if (isFolder(used)) return used;
    if (const auto kept = console.settings().value(kOpenFolderKey); kept && isFolder(*kept)) return *kept;
    return platform::picturesFolder();
}

// The dithering hint: offered once a run, for the first photo taken in with the plain threshold.
struct DitheringHint {
    bool offered = false;
    bool showing = false;
};

void offerDithering(Console& console, IntakeResult result) {
    DitheringHint& hint = console.state<DitheringHint>();
    if (hint.showing) {
        hint.showing = false;
        console.main().showNotice(main_window::kPreviewGroup, {});
    }
    const ImageState& state = console.state<ImageState>();
    if (hint.offered || result != IntakeResult::Prepared ||
        state.options.mode != image::Conversion::Threshold || !looksLikePhoto(state.picture))
        return;
    hint.offered = hint.showing = true;
    console.main().showNotice(main_window::kPreviewGroup,
                              {std::string(kDitheringHint), std::string(kDitheringAction), "useDithering"});
}

void onUseDithering(Console& console, const EventArgs&) {
    console.state<DitheringHint>().showing = false;
    chooseConversion(console, image::Conversion::FloydSteinberg);
}

template <void (*Operation)(ImageState&, Surroundings&)>
void viewOperation(Console& console, const EventArgs&) {
    loadPictureOptions(console);
    MainWindowSurroundings around(console);
    Operation(console.state<ImageState>(), around);
}

}  // namespace

// What the chooser offers: every extension of the formats the intake reads (the content decides, so all
// files are offered too).
std::string pictureFilters(bool withJobs) {
    static constexpr std::string_view kExtensions[] = {"jpg",  "jpeg", "jpe",  "jfif", "bmp",  "tif",
                                                       "tiff", "png",  "pcx",  "pcd",  "webp", "gif",
                                                       "heic", "heif", "avif", "svg"};
    std::string patterns;
    for (const bool upper : {false, true}) {
        for (std::string_view e : kExtensions) {
            std::string ext(e);
            if (upper)
                for (char& c : ext) c = static_cast<char>(c - 'a' + 'A');
            patterns += (patterns.empty() ? "*." : " *.") + ext;
        }
    }
    if (withJobs) return "Pictures and jobs (" + patterns + " *.tessary);;All files (*)";
    return "Pictures (" + patterns + ");;All files (*)";
}

void rememberOrSay(Console& console, bool remembered) {
    bool& said = console.state<UnsavedOptionsState>().said;
    if (remembered || said) return;
    said = true;
    const std::string where = console.settings().location();
    console.appendLog("Options can not be saved" + (where.empty() ? std::string() : " in " + where) +
                      ": they hold until Tessary closes.\r\n\r\n");
}

namespace {

// A job file (known by its content, whatever its name) opens as it was kept: its picture or text, options and
// view. One that cannot be read is named with the reason, and the current picture stays.
void openJob(Console& console, Surroundings& around, const std::string& path) {
    const job::JobReading reading = job::readJobFile(path);
    if (!reading.job || reading.job->items.empty()) {
        const std::string why =
            reading.error.empty() ? path + ": it holds nothing to engrave" : reading.error;
        console.dialogs().messageBox("This job cannot be opened.\n\n" + why, 0, "Tessary");
        console.appendLog("Job not opened: " + why + "\r\n\r\n");
        return;
    }
    job::openJobItem(reading.job->items.front(), console.state<ImageState>(), around);
}

}  // namespace

void onFilesDropped(Console& console, const EventArgs& args) {
    loadPictureOptions(console);
    MainWindowSurroundings around(console);
    if (job::isJobFile(args.text)) {
        openJob(console, around, args.text);
        return;
    }
    offerDithering(console, takeIn(console.state<ImageState>(), around, args.text));
}

void onOpenPicture(Console& console, const EventArgs&) {
    const std::optional<std::string> path =
        console.dialogs().openFile(kOpenPictureTitle, chooserFolder(console), pictureFilters(true));
    if (!path || path->empty()) return;
    std::string& folder = console.state<OpenPictureState>().folder;
    folder = platform::textFromPath(platform::pathFromText(*path).parent_path());
    console.settings().setValue(kOpenFolderKey, folder);
    EventArgs drop;
    drop.text = *path;
    onFilesDropped(console, drop);
}

void onRotate(Console& console, const EventArgs& args) { viewOperation<rotate>(console, args); }
void onZoomOut(Console& console, const EventArgs& args) { viewOperation<zoomOut>(console, args); }
void onZoomIn(Console& console, const EventArgs& args) { viewOperation<zoomIn>(console, args); }
void onReload(Console& console, const EventArgs& args) { viewOperation<reload>(console, args); }

void onMainWindowClosing(Console& console, const EventArgs&) {
    platform::deleteFileIfSame(image::previewFilePath(console.runDirectory()),
                               console.state<ImageState>().previewWritten);
}

}  // namespace intake

void registerIntakeHandlers(HandlerRegistry& registry) {
    registry.add("takeInPicture", intake::onFilesDropped);
    registry.add("rotate", intake::onRotate);
    registry.add("zoomOut", intake::onZoomOut);
    registry.add("zoomIn", intake::onZoomIn);
    registry.add("reload", intake::onReload);
    registry.add("deletePreviewFile", intake::onMainWindowClosing);
    registry.add("openPictureOptions", intake::onOpenPictureOptions);
    registry.add("showPictureOptions", intake::onPictureOptionsShown);
    registry.add("pictureOptionChanged", intake::onPictureOptionChanged);
    registry.add("pictureOptionSliding", intake::onPictureOptionSliding);
    registry.add("pictureOptionPressed", intake::onPictureOptionPressed);
    registry.add("pictureOptionReleased", intake::onPictureOptionReleased);
    registry.add("pictureOptionsDefaults", intake::onPictureOptionsDefaults);
    registry.add("pictureOptionsClosing", intake::onPictureOptionsClosing);
    registry.add("closePictureOptions", intake::onClosePictureOptions);
    registry.add("openPicture", intake::onOpenPicture);
    registry.add("useDithering", intake::onUseDithering);
    registerTextWindowHandlers(registry);
    registerLayoutWindowHandlers(registry);
}

}  // namespace tessary
