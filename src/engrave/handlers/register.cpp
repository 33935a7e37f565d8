// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/handlers/engrave_handlers.h"

namespace tessary {

void registerEngraveHandlers(HandlerRegistry& registry) {
    using namespace engrave;
    registry.add("start", onStart);
    registry.add("pause", onPause);
    registry.add("restart", onRestart);
    registry.add("recarve", onRecarve);
    registry.add("frameCarvingArea", onFrameCarvingArea);
    registry.add("fastBackward", onFastBackward);
    registry.add("fastForward", onFastForward);
    registry.add("toMiddle", onToMiddle);
    registry.add("toLowerLeft", onToLowerLeft);
    registry.add("jogUp", onJogUp);
    registry.add("jogDown", onJogDown);
    registry.add("jogLeft", onJogLeft);
    registry.add("jogRight", onJogRight);
    registry.add("arrowKeys", onArrowKey);
    registry.add("showBurningTime", onBurningTimeShown);
    registry.add("sendBurningTime", onBurningTimeSent);
    registry.add("saveStepPulse", onSaveStepPulse);
    registry.add("uploadImage", onUploadImage);
    registry.add("positionReport", onPositionReport);
    registry.add("openJobWindow", onOpenJobWindow);
    registry.add("fillJobWindow", onFillJobWindow);
    registry.add("jobPassesKey", onPassesKey);
    registry.add("jobCopiesKey", onCopiesKey);
    registry.add("keepJobCounts", onKeepJobCounts);
    registry.add("closeJobWindow", onCloseJobWindow);
    registry.add("openTestCard", onOpenTestCard);
    registry.add("fillTestCard", onFillTestCard);
    registry.add("runTestCard", onRunTestCard);
    registry.add("stopTestCard", onStopTestCard);
    registry.add("closeTestCard", onCloseTestCard);
}

}  // namespace tessary
