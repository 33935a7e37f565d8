// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/qt_unit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

#include "app/model/font_record.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "app/model/stored_unit.h"
#include "app/qt/virtual_keys.h"

namespace tessary::qt {

QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string toUtf8(const QString& s) { return s.toUtf8().toStdString(); }

void UnitEvents::mouse(QWidget* widget, QMouseEvent* e, int event) {
    (void)widget;
    if (!bound(event)) return;
    const QPoint p = e->position().toPoint();
    raise(event, {p.x(), p.y(), modifierBits(e->modifiers()), {}});
}

UnitEvents::KeyRoute UnitEvents::keyDown(QWidget* widget, QKeyEvent* e) {
    const EventArgs args{virtualKeyCode(e->key(), e->modifiers()), modifierBits(e->modifiers()), 0, {}};
    if (isArrowKey(e->key()) && qobject_cast<QAbstractButton*>(widget)) {
        if (bound(event::kKeyDown)) {
            raise(event::kKeyDown, args);
        } else if (live()) {
            (*sink_)->raise("", event::kKeyDown, args);
        }
        e->accept();
        return KeyRoute::Consumed;
    }
    if (!bound(event::kKeyDown)) return KeyRoute::NotBound;
    raise(event::kKeyDown, args);
    return KeyRoute::Raised;
}

void UnitEvents::keyUp(QKeyEvent* e) {
    if (bound(event::kKeyUp))
        raise(event::kKeyUp, {virtualKeyCode(e->key(), e->modifiers()), modifierBits(e->modifiers()), 0, {}});
}

void UnitEvents::raise(int event, const EventArgs& args) {
    if (live()) (*sink_)->raise(def_->name, event, args);
}

template <class W>
void Raising<W>::mousePressEvent(QMouseEvent* e) {
    W::mousePressEvent(e);
    if (e->button() == Qt::LeftButton) events_.mouse(this, e, event::kLeftDown);
    if (e->button() == Qt::RightButton) events_.mouse(this, e, event::kRightDown);
}

template <class W>
void Raising<W>::mouseReleaseEvent(QMouseEvent* e) {
    W::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton) events_.mouse(this, e, event::kLeftUp);
    if (e->button() == Qt::RightButton) events_.mouse(this, e, event::kRightUp);
}

template <class W>
void Raising<W>::mouseDoubleClickEvent(QMouseEvent* e) {
    W::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton) events_.mouse(this, e, event::kDoubleClick);
}

template <class W>
void Raising<W>::mouseMoveEvent(QMouseEvent* e) {
    W::mouseMoveEvent(e);
    events_.mouse(this, e, event::kMouseMove);
}

template <class W>
void Raising<W>::keyPressEvent(QKeyEvent* e) {
    switch (events_.keyDown(this, e)) {
        case UnitEvents::KeyRoute::Consumed:
            return;
        case UnitEvents::KeyRoute::Raised:
            W::keyPressEvent(e);
            e->accept();  // the unit's handler had it; the window does not get it a second time
            return;
        case UnitEvents::KeyRoute::NotBound:
            W::keyPressEvent(e);
            return;
    }
}

template <class W>
void Raising<W>::keyReleaseEvent(QKeyEvent* e) {
    events_.keyUp(e);
    W::keyReleaseEvent(e);
}

template class Raising<QPushButton>;
template class Raising<QGroupBox>;
template class Raising<QLabel>;
template class Raising<QPlainTextEdit>;
template class Raising<QLineEdit>;
template class Raising<QComboBox>;
template class Raising<QSlider>;
template class Raising<QFrame>;
template class Raising<QWidget>;

QtUnit::QtUnit(const UnitDef& def, QWidget* widget) : name_(def.name), kind_(def.kind), widget_(widget) {}

const Value* QtUnit::stored(int property) const {
    const auto it = values_.find(property);
    return it != values_.end() ? &it->second : nullptr;
}

std::int32_t QtUnit::storedInt(int property, std::int32_t fallback) const {
    const Value* v = stored(property);
    return v ? asInt(*v) : fallback;
}

void QtUnit::write(int property, const Value& value) {
    Value v = normaliseProperty(kind_, property, value);
    values_[property] = v;
    if (!widget_) return;
    const std::int32_t n = asInt(v);
    switch (property) {
        case prop::kLeft:
            widget_->move(n, widget_->y());
            break;
        case prop::kTop:
            widget_->move(widget_->x(), n);
            break;
        case prop::kWidth:
            widget_->resize(n, widget_->height());
            applyGeometry();
            break;
        case prop::kHeight:
            widget_->resize(widget_->width(), n);
            applyGeometry();
            break;
        case prop::kVisible:
            widget_->setVisible(n != 0);
            break;
        case prop::kDisabled:
            widget_->setEnabled(n == 0);
            break;
        default:
            if (property >= 8) applyKind(property, v);
            break;
    }
}

Value QtUnit::read(int property) const {
    if (widget_) {
        // A window's position and size are its outer ones, frame included.
        const QRect box = widget_->isWindow() ? widget_->frameGeometry() : widget_->geometry();
        switch (property) {
            case prop::kLeft:
                return box.x();
            case prop::kTop:
                return box.y();
            case prop::kWidth:
                return box.width();
            case prop::kHeight:
                return box.height();
            case prop::kVisible: {
                // Visible means shown on the screen once the window is: a hidden container hides it.
                const bool shown =
                    widget_->isWindow() ? widget_->isVisible() : widget_->isVisibleTo(widget_->window());
                return std::int32_t{shown ? 1 : 0};
            }
            case prop::kDisabled:
                return std::int32_t{widget_->isEnabled() ? 0 : 1};
            default:
                if (property >= 8) {
                    if (auto live = readKind(property)) return *live;
                }
                break;
        }
    }
    if (const Value* v = stored(property)) return *v;
    return emptyValue(kind_, property);
}

void applyBorder(QFrame* frame, std::int32_t code) {
    const int width = borderThickness(code);
    switch (code) {
        case kBorderSunken:
            frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            break;
        case kBorderRaised:
            frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
            break;
        case kBorderShallow:
            frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            break;
        case kBorderSunkenRaised:
            frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
            break;
        case kBorderLine: {
            frame->setFrameStyle(QFrame::Box | QFrame::Plain);
            QPalette p = frame->palette();
            p.setColor(QPalette::WindowText, Qt::black);
            frame->setPalette(p);
            break;
        }
        default:
            frame->setFrameStyle(QFrame::NoFrame);
            break;
    }
    frame->setLineWidth(code == kBorderSunkenRaised ? 2 : width);
    frame->setMidLineWidth(0);
}

void applyColour(QWidget* widget, int role, std::int32_t colour, bool fill) {
    if (isDefaultColour(colour)) return;
    const Rgb c = colourRgb(colour);
    QPalette p = widget->palette();
    const auto r = static_cast<QPalette::ColorRole>(role);
    // A disabled unit's text keeps the style's grey, so that it looks disabled whatever its colour.
    if (r == QPalette::Text || r == QPalette::WindowText || r == QPalette::ButtonText) {
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            p.setColor(group, r, QColor(c.r, c.g, c.b));
    } else {
        p.setColor(r, QColor(c.r, c.g, c.b));
    }
    widget->setPalette(p);
    if (fill) widget->setAutoFillBackground(true);
}

QFont fontFromRecord(const Value& value) {
    QFont font = QApplication::font();
    const auto record = decodeFont(asBytes(value));
    if (!record) return font;
    QStringList families;
    if (!record->face.empty()) families << toQString(record->face);
    families << QStringLiteral("Noto Sans CJK SC") << QStringLiteral("WenQuanYi Micro Hei")
             << QStringLiteral("DejaVu Sans") << QStringLiteral("Sans Serif");
    font.setFamilies(families);
    if (record->height < 0) font.setPixelSize(-record->height);
    if (record->height > 0) font.setPixelSize(record->height);
    font.setWeight(record->weight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(record->italic);
    font.setUnderline(record->underline);
    font.setStrikeOut(record->strikeOut);
    return font;
}

}  // namespace tessary::qt
