// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The adapters of the visual unit kinds: each owns nothing but its widget's settings; Qt's parent
// chain owns the widgets.
#include <memory>
#include <string_view>

#include "app/model/window.h"
#include "app/qt/qt_unit.h"

class QPlainTextEdit;

namespace tessary::qt {

// Creates the widget and its adapter; the definition's properties are not applied yet.
std::unique_ptr<QtUnit> makeQtUnit(const UnitDef& def, QWidget* parent, const SinkRef& sink);

// A multi-line or single-line edit box.
class EditBoxUnit : public QtUnit {
  public:
    using QtUnit::QtUnit;
    // Appends at the very end, whatever the caret or selection, scrolls to it; the append cannot be undone.
    virtual void appendText(std::string_view text) = 0;
    // Files dropped on the window must reach the window, not the text.
    virtual void refuseDrops() = 0;
};

// A draw panel: its inside keeps an off-screen image that repaints it.
class DrawPanelUnit : public QtUnit, public DrawSurface {
  public:
    using QtUnit::QtUnit;
};

// Text conversions of edit boxes: "\r\n" inside the program, "\n" inside Qt's text documents.
QString toDocumentText(std::string_view text);
std::string fromDocumentText(const QString& text);

}  // namespace tessary::qt
