// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/visual_style.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace tessary::qt {

namespace {

const QColor kFace(240, 240, 240);
const QColor kBorder(173, 173, 173);
const QColor kAccent(0, 120, 215);
const QColor kHover(229, 241, 251);
const QColor kPressed(204, 228, 247);
const QColor kDisabledText(160, 160, 160);
const QColor kDisabledGroove(204, 204, 204);

class FlatStyle : public QProxyStyle {
  public:
    FlatStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    QPalette standardPalette() const override {
        QPalette p = QProxyStyle::standardPalette();
        p.setColor(QPalette::Window, kFace);
        p.setColor(QPalette::Button, kFace);
        p.setColor(QPalette::Base, Qt::white);
        p.setColor(QPalette::AlternateBase, kFace);
        p.setColor(QPalette::Text, Qt::black);
        p.setColor(QPalette::WindowText, Qt::black);
        p.setColor(QPalette::ButtonText, Qt::black);
        p.setColor(QPalette::Highlight, kAccent);
        p.setColor(QPalette::HighlightedText, Qt::white);
        for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
            p.setColor(QPalette::Disabled, role, kDisabledText);
        }
        // A disabled slider's filled groove is grey, not the accent, so that it does not look usable.
        p.setColor(QPalette::Disabled, QPalette::Highlight, kDisabledGroove);
        return p;
    }

    void polish(QWidget* widget) override {
        QProxyStyle::polish(widget);
        if (qobject_cast<QAbstractButton*>(widget)) widget->setAttribute(Qt::WA_Hover, true);
    }
    using QProxyStyle::polish;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup) return 0;  // a list that drops down below the box
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        switch (element) {
            case PE_PanelButtonCommand: {
                const bool enabled = option->state & State_Enabled;
                const bool down = option->state & (State_Sunken | State_On);
                const bool hover = enabled && (option->state & State_MouseOver);
                const bool focus = enabled && (option->state & State_HasFocus);
                QColor fill = !enabled ? kFace : down ? kPressed : hover ? kHover : QColor(253, 253, 253);
                QColor edge = !enabled ? QColor(204, 204, 204) : (hover || focus || down) ? kAccent : kBorder;
                painter->save();
                painter->setPen(Qt::NoPen);
                painter->fillRect(option->rect, fill);
                painter->setPen(edge);
                painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
                painter->restore();
                return;
            }
            case PE_FrameFocusRect:
                if (qobject_cast<const QAbstractButton*>(widget)) return;  // the border shows the focus
                break;
            case PE_FrameGroupBox: {
                painter->save();
                painter->setPen(QColor(200, 200, 200));
                painter->setBrush(Qt::NoBrush);
                painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
                painter->restore();
                return;
            }
            default:
                break;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_PushButtonLabel) {
            if (const auto* b = qstyleoption_cast<const QStyleOptionButton*>(option)) {
                painter->save();
                QRect r = b->rect.adjusted(2, 1, -2, -1);
                if (!b->icon.isNull()) {
                    const QSize s = b->iconSize;
                    const QIcon::Mode mode = (b->state & State_Enabled) ? QIcon::Normal : QIcon::Disabled;
                    b->icon.paint(painter, QRect(r.center() - QPoint(s.width() / 2, s.height() / 2), s),
                                  Qt::AlignCenter, mode);
                }
                painter->setPen(
                    b->palette.color((b->state & State_Enabled) ? QPalette::Active : QPalette::Disabled,
                                     QPalette::ButtonText));
                // Captions longer than the button wrap at blanks, as narrow machine buttons need.
                painter->drawText(r, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                                  b->text.trimmed());
                painter->restore();
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

int appliedStyle = 0;

}  // namespace

void applyVisualStyle(int style) {
    if (style != 1 || appliedStyle == style) return;
    auto* flat = new FlatStyle;
    QApplication::setStyle(flat);  // the application owns it
    QApplication::setPalette(flat->standardPalette());
    appliedStyle = style;
}

void useDefaultGuiFont() {
    QFont font = QApplication::font();
    font.setFamilies(
        {QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"), QStringLiteral("Sans Serif")});
    font.setPixelSize(11);
    QApplication::setFont(font);
}

QColor buttonFace() { return kFace; }

}  // namespace tessary::qt
