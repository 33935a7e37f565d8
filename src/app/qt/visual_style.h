// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Visual style 1: a flat look for push buttons, group boxes, edit boxes, combo boxes, check boxes, radio
// buttons and spin boxes, set application-wide so that windows created later get it too.
#include <QColor>

namespace tessary::qt {

// Applies a visual style (the console uses 1) to every widget of the application, present and future.
void applyVisualStyle(int style);

// The default GUI font of the console's controls: a compact sans-serif, so that captions fit buttons
// laid out for it.
void useDefaultGuiFont();

// The button face of visual style 1, which the console always uses: it stands for the default colour.
// It does not follow the desktop's theme, so a dark theme cannot turn the canvas margins black, and the
// canvas is the same before and after the style is applied at start-up (and the same as tessary-prepare's).
QColor buttonFace();

}  // namespace tessary::qt
