// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A window realised from its definition as a Qt top-level widget with the units' widgets inside.
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/model/stored_unit.h"
#include "app/model/window.h"
#include "app/model/window_def.h"
#include "app/qt/qt_unit.h"

class QEventLoop;
class QMimeData;

namespace tessary::qt {

class QtWindow;

// The top-level widget: its client area holds the units at the definition's coordinates.
class WindowWidget : public QWidget {
  public:
    explicit WindowWidget(QtWindow* owner) : owner_(owner) {}
    void detach() { owner_ = nullptr; }
    bool inClose() const { return inClose_; }

  protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

  private:
    void deliverDrop(std::string text);

    QtWindow* owner_;
    bool inClose_ = false;
};

class QtWindow : public Window, public EventSink {
  public:
    QtWindow(const WindowDef& def, Console& console, const UnitFactory& serialPortFactory);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    // False when a unit could not be created; such a window is not used.
    bool complete() const { return complete_; }
    WindowWidget* widget() const { return widget_; }
    const WindowDef& definition() const { return def_; }

    const std::string& name() const override { return def_.name; }
    bool exists() const override { return exists_ && widget_; }
    Unit* find(std::string_view unit) override;
    Unit& self() override { return *self_; }
    void appendText(std::string_view unit, std::string_view text) override;
    DrawSurface& drawPanel(std::string_view unit) override;
    bool attachDropTarget(std::string_view unit) override;
    void showProgress(std::string_view unit, const Progress& progress) override;
    void showNotice(std::string_view unit, const Notice& notice) override;
    void close() override;

    void raise(const std::string& unit, int event, const EventArgs& args) override;
    bool alive() const override { return exists_; }

    // The modal loop that runs while the window is shown modally; closing the window ends it.
    void setModalLoop(QEventLoop* loop) { modalLoop_ = loop; }

    // From the widget.
    void closeRequested();
    // Whether the operator's close may go ahead (the main window asks the console).
    bool mayClose();
    void keyDown(QKeyEvent* e);
    // The text of a files-dropped event for a drag; nullopt when the drop target refuses it.
    std::optional<std::string> acceptedDrop(const QMimeData* data) const;
    void dropped(std::string text);

  private:
    QtUnit* build(const UnitDef& def);
    void installContextMenu(QWidget* widget, const UnitDef& def);
    void placeBesideMainWindow();

    const WindowDef& def_;
    Console& console_;
    UnitDef selfDef_;
    SinkRef sinkRef_;
    QPointer<WindowWidget> widget_;
    bool exists_ = true;
    bool complete_ = true;
    QEventLoop* modalLoop_ = nullptr;
    std::string dropTarget_;
    std::unique_ptr<QtUnit> self_;
    std::map<std::string, std::unique_ptr<Unit>, std::less<>> units_;
    std::map<std::string, QPointer<QWidget>, std::less<>> progressBars_;
    std::map<std::string, QPointer<QWidget>, std::less<>> notices_;
};

// The drop text of a list of local files: one path alone, several each followed by "\r\n".
std::string droppedFilesText(const std::vector<std::string>& paths);

}  // namespace tessary::qt
