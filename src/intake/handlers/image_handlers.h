#pragma once
// The picture intake and the view operations as the main window's handlers.
#include "app/console.h"

namespace tessary {

namespace intake {
// Files dropped on 拖放对象1: the dropped text is the picture's path (several paths fail).
void onFilesDropped(Console& console, const EventArgs& args);
void onRotate(Console& console, const EventArgs& args);
void onZoomOut(Console& console, const EventArgs& args);
void onZoomIn(Console& console, const EventArgs& args);
void onReload(Console& console, const EventArgs& args);
// The main window is about to be destroyed: the preview file goes.
void onMainWindowClosing(Console& console, const EventArgs& args);
}  // namespace intake

// "takeInPicture", "rotate", "zoomOut", "zoomIn", "reload", "deletePreviewFile".
void registerImageHandlers(HandlerRegistry& registry);

}  // namespace tessary
