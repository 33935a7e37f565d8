#pragma once
// The console's two windows as data. Each definition is built once and lives for the whole program.
#include "app/model/window_def.h"

namespace tessary {

const WindowDef& mainWindowDefinition();
const WindowDef& settingWindowDefinition();
// Not modal: the conversion and the adjustments of the prepared picture, applied as they change.
const WindowDef& pictureOptionsWindowDefinition();

}  // namespace tessary
