#include "intake/handlers/image_handlers.h"

#include <array>
#include <string_view>

#include "app/model/properties.h"
#include "app/shell/control_states.h"
#include "image/files.h"
#include "intake/intake.h"
#include "intake/handlers/main_window_surroundings.h"
#include "image/picture.h"
#include "tessary_resources.h"

namespace tessary {
namespace intake {
namespace {

template <void (*Operation)(ImageState&, Surroundings&)>
void viewOperation(Console& console, const EventArgs&) {
    loadPictureOptions(console);
    MainWindowSurroundings around(console);
    Operation(console.state<ImageState>(), around);
}

}  // namespace

void onFilesDropped(Console& console, const EventArgs& args) {
    loadPictureOptions(console);
    MainWindowSurroundings around(console);
    takeIn(console.state<ImageState>(), around, args.text);
}

void onRotate(Console& console, const EventArgs& args) { viewOperation<rotate>(console, args); }
void onZoomOut(Console& console, const EventArgs& args) { viewOperation<zoomOut>(console, args); }
void onZoomIn(Console& console, const EventArgs& args) { viewOperation<zoomIn>(console, args); }
void onReload(Console& console, const EventArgs& args) { viewOperation<reload>(console, args); }

void onMainWindowClosing(Console& console, const EventArgs&) {
    image::deleteFileIfSame(image::previewFilePath(console.runDirectory()),
                            console.state<ImageState>().previewWritten);
}

}  // namespace intake

void registerImageHandlers(HandlerRegistry& registry) {
    registry.add("takeInPicture", intake::onFilesDropped);
    registry.add("rotate", intake::onRotate);
    registry.add("zoomOut", intake::onZoomOut);
    registry.add("zoomIn", intake::onZoomIn);
    registry.add("reload", intake::onReload);
    registry.add("deletePreviewFile", intake::onMainWindowClosing);
    registry.add("openPictureOptions", intake::onOpenPictureOptions);
    registry.add("showPictureOptions", intake::onPictureOptionsShown);
    registry.add("pictureOptionChanged", intake::onPictureOptionChanged);
    registry.add("pictureOptionsDefaults", intake::onPictureOptionsDefaults);
    registry.add("closePictureOptions", intake::onClosePictureOptions);
}

}  // namespace tessary
