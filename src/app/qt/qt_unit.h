// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A visual unit realised as a Qt widget: the common properties 0 to 7 act on the widget, the kind
// properties on whatever the kind's adapter does with them. Reads of 0-3, 5, 6 come from the live widget.
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/model/unit.h"
#include "app/model/window_def.h"

class QFrame;
class QKeyEvent;
class QMouseEvent;

namespace tessary::qt {

QString toQString(std::string_view utf8);
std::string toUtf8(const QString& s);

// The window that units raise their events on; empty once the window is gone, while its widgets may
// still be finishing an event.
using SinkRef = std::shared_ptr<EventSink*>;

// Raises a unit's input events on its window's sink.
class UnitEvents {
  public:
    UnitEvents(SinkRef sink, const UnitDef& def) : sink_(std::move(sink)), def_(&def) {}
    enum class KeyRoute { NotBound, Raised, Consumed };
    void mouse(QWidget* widget, QMouseEvent* e, int event);
    // Raises key down before the widget sees the key. Arrow keys on a button go to the handler (the
    // button's own, else the window's) and not to the button's focus movement.
    KeyRoute keyDown(QWidget* widget, QKeyEvent* e);
    void keyUp(QKeyEvent* e);
    void raise(int event, const EventArgs& args = {});
    bool bound(int event) const { return def_->handlerFor(event) != nullptr; }

  private:
    bool live() const { return *sink_ && (*sink_)->alive(); }
    SinkRef sink_;
    const UnitDef* def_;
};

// Widgets of the unit kinds, with their input events raised: mouse events after the widget has taken
// them (so a slider reports its new position), key events before.
template <class W>
class Raising : public W {
  public:
    template <class... A>
    explicit Raising(UnitEvents events, A&&... args) : W(std::forward<A>(args)...), events_(events) {
        if (events_.bound(event::kMouseMove)) this->setMouseTracking(true);
    }
    UnitEvents& events() { return events_; }

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

  private:
    UnitEvents events_;
};

class QtUnit : public Unit {
  public:
    QtUnit(const UnitDef& def, QWidget* widget);
    Kind kind() const override { return kind_; }
    const std::string& name() const override { return name_; }
    void write(int property, const Value& value) final;
    Value read(int property) const final;

    QWidget* widget() const { return widget_; }
    // Where the units that this one contains are placed (a draw panel's inside, a group box itself).
    virtual QWidget* clientArea() const { return widget_; }

  protected:
    // Called after a kind property (8 and up) has been stored; the widget exists.
    virtual void applyKind(int property, const Value& value) {
        (void)property;
        (void)value;
    }
    // The live value of a kind property, where the unit shows one.
    virtual std::optional<Value> readKind(int property) const {
        (void)property;
        return std::nullopt;
    }
    virtual void applyGeometry() {}
    const Value* stored(int property) const;
    std::int32_t storedInt(int property, std::int32_t fallback = 0) const;
    void store(int property, Value value) { values_[property] = std::move(value); }

  private:
    std::string name_;
    Kind kind_;
    QPointer<QWidget> widget_;
    std::map<int, Value> values_;
};

// Frames of the border codes, for QFrame-based units.
void applyBorder(QFrame* frame, std::int32_t code);
// Colours: the default colour leaves the widget's role alone (it follows the application palette).
void applyColour(QWidget* widget, int role, std::int32_t colour, bool fill);
// A font record's font; the fallbacks cover a face the system lacks.
QFont fontFromRecord(const Value& value);

}  // namespace tessary::qt
