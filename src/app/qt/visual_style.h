#pragma once
// Visual style 1: a flat look for push buttons, group boxes, edit boxes, combo boxes, check boxes, radio
// buttons and spin boxes, set application-wide so that windows created later get it too.
#include <QColor>

namespace tessary::qt {

// Applies a visual style (the console uses 1) to every widget of the application, present and future.
void applyVisualStyle(int style);
bool visualStyleApplied();

// The default GUI font of the console's controls: a compact sans-serif, so that captions fit buttons
// laid out for it.
void useDefaultGuiFont();

// The platform's button-face colour that stands for the default colour; always light enough to count as
// white in the black-and-white step (red + green + blue >= 383).
QColor buttonFace();

}  // namespace tessary::qt
