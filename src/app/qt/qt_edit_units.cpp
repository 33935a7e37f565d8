// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "app/qt/qt_kinds.h"

namespace tessary::qt {

QString toDocumentText(std::string_view text) {
    QString s = toQString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

std::string fromDocumentText(const QString& text) {
    QString s = text;
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return toUtf8(s);
}

namespace {

namespace e = prop::editbox;

class MultiLineUnit : public EditBoxUnit {
  public:
    MultiLineUnit(const UnitDef& def, Raising<QPlainTextEdit>* edit) : EditBoxUnit(def, edit), edit_(edit) {
        if (edit->events().bound(event::kChanged))
            QObject::connect(edit, &QPlainTextEdit::textChanged, edit,
                             [edit] { edit->events().raise(event::kChanged); });
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }

    void appendText(std::string_view text) override {
        QTextDocument* doc = edit_->document();
        QTextCursor end(doc);
        end.movePosition(QTextCursor::End);
        // The log is not the operator's edit: an undo must never take it back.
        doc->setUndoRedoEnabled(false);
        end.insertText(toDocumentText(text));
        doc->setUndoRedoEnabled(true);
        edit_->setTextCursor(end);
        edit_->ensureCursorVisible();
    }

    void refuseDrops() override {
        edit_->setAcceptDrops(false);
        edit_->viewport()->setAcceptDrops(false);
    }

  protected:
    void applyKind(int property, const Value& v) override {
        const std::int32_t n = asInt(v);
        switch (property) {
            case e::kContent:
                edit_->setPlainText(toDocumentText(asText(v)));
                break;
            case e::kBorder:
                applyBorder(edit_, n);
                break;
            case e::kTextColour:
                applyColour(edit_, QPalette::Text, n, false);
                break;
            case e::kBackColour:
                applyColour(edit_, QPalette::Base, n, false);
                break;
            case e::kFont:
                edit_->setFont(fontFromRecord(v));
                break;
            case e::kHideSelection: {
                QPalette p = edit_->palette();
                const QPalette app = QApplication::palette();
                p.setColor(QPalette::Inactive, QPalette::Highlight,
                           n ? p.color(QPalette::Active, QPalette::Base)
                             : app.color(QPalette::Inactive, QPalette::Highlight));
                p.setColor(QPalette::Inactive, QPalette::HighlightedText,
                           n ? p.color(QPalette::Active, QPalette::Text)
                             : app.color(QPalette::Inactive, QPalette::HighlightedText));
                edit_->setPalette(p);
                break;
            }
            case e::kScrollBars:
                edit_->setVerticalScrollBarPolicy((n & 2) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
                edit_->setHorizontalScrollBarPolicy((n & 1) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
                // Without a horizontal bar, long lines wrap at the box's width.
                edit_->setLineWrapMode((n & 1) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
                break;
            case e::kInputMode:
                edit_->setReadOnly(n == 1);
                break;
            default:
                break;
        }
    }

    std::optional<Value> readKind(int property) const override {
        if (property == e::kContent) return fromDocumentText(edit_->toPlainText());
        return std::nullopt;
    }

  private:
    Raising<QPlainTextEdit>* edit_;
};

class SingleLineUnit : public EditBoxUnit {
  public:
    SingleLineUnit(const UnitDef& def, Raising<QLineEdit>* edit) : EditBoxUnit(def, edit), edit_(edit) {
        if (edit->events().bound(event::kChanged))
            QObject::connect(edit, &QLineEdit::textChanged, edit,
                             [edit] { edit->events().raise(event::kChanged); });
    }

    void appendText(std::string_view text) override {
        edit_->setText(edit_->text() + toDocumentText(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        edit_->end(false);
    }

    void refuseDrops() override { edit_->setAcceptDrops(false); }

  protected:
    void applyKind(int property, const Value& v) override {
        const std::int32_t n = asInt(v);
        switch (property) {
            case e::kContent:
                edit_->setText(toDocumentText(asText(v)).replace(QLatin1Char('\n'), QLatin1Char(' ')));
                break;
            case e::kBorder:
                edit_->setFrame(n != kBorderNone);
                break;
            case e::kTextColour:
                applyColour(edit_, QPalette::Text, n, false);
                break;
            case e::kBackColour:
                applyColour(edit_, QPalette::Base, n, false);
                break;
            case e::kFont:
                edit_->setFont(fontFromRecord(v));
                break;
            case e::kMaxLength:
                edit_->setMaxLength(n == 0 ? 32767 : n);
                break;
            case e::kAlignment:
                edit_->setAlignment((n == 1   ? Qt::AlignHCenter
                                     : n == 2 ? Qt::AlignRight
                                              : Qt::AlignLeft) |
                                    Qt::AlignVCenter);
                break;
            case e::kInputMode:
                edit_->setReadOnly(n == 1);
                edit_->setEchoMode(n == 2 ? QLineEdit::Password : QLineEdit::Normal);
                // Whole numbers: only digits and the minus sign can be typed, editing keys still work.
                edit_->setValidator(n == 3 ? new QRegularExpressionValidator(
                                                 QRegularExpression(QStringLiteral("[0-9-]*")), edit_)
                                           : nullptr);
                break;
            default:
                break;
        }
    }

    std::optional<Value> readKind(int property) const override {
        if (property == e::kContent) return toUtf8(edit_->text());
        return std::nullopt;
    }

  private:
    Raising<QLineEdit>* edit_;
};

}  // namespace

std::unique_ptr<QtUnit> makeEditBoxUnit(const UnitDef& def, QWidget* parent, const SinkRef& sink) {
    const UnitEvents events(sink, def);
    const Value* multi = def.property(e::kMultiLine);
    if (multi && asBool(*multi)) {
        return std::make_unique<MultiLineUnit>(def, new Raising<QPlainTextEdit>(events, parent));
    }
    return std::make_unique<SingleLineUnit>(def, new Raising<QLineEdit>(events, parent));
}

}  // namespace tessary::qt
