// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The console's windows as data. Each definition is built once and lives for the whole program.
#include "app/definitions/unit_names.h"
#include "app/model/window_def.h"

namespace tessary {

const WindowDef& mainWindowDefinition();
const WindowDef& settingWindowDefinition();
const WindowDef& textWindowDefinition();
// Not modal: several pictures, text blocks and QR codes on one engraving, placed by their numbers.
const WindowDef& layoutWindowDefinition();
// Not modal: the conversion and the adjustments of the prepared picture, applied as they change.
const WindowDef& pictureOptionsWindowDefinition();
// Not modal: passes, copies and the notice when the work is done.
const WindowDef& jobWindowDefinition();
// Not modal: the test card, burnt one cell at a time.
const WindowDef& testCardWindowDefinition();

}  // namespace tessary
