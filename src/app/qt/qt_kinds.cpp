// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/qt_kinds.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>

#include "app/model/properties.h"
#include "app/model/property_rules.h"

namespace tessary::qt {

// Defined with the other kinds, in their own files.
std::unique_ptr<QtUnit> makeEditBoxUnit(const UnitDef& def, QWidget* parent, const SinkRef& sink);
std::unique_ptr<QtUnit> makePicBoxUnit(const UnitDef& def, QWidget* parent, const SinkRef& sink);
std::unique_ptr<QtUnit> makeDrawPanelUnit(const UnitDef& def, QWidget* parent, const SinkRef& sink);

namespace {

// '&' marks a mnemonic in Qt captions; the units' captions are literal text.
QString literalCaption(const Value& v) {
    return toQString(asText(v)).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

Qt::Alignment horizontal(std::int32_t code) {
    return code == 1 ? Qt::AlignHCenter : code == 2 ? Qt::AlignRight : Qt::AlignLeft;
}

class ButtonUnit : public QtUnit {
  public:
    ButtonUnit(const UnitDef& def, Raising<QPushButton>* button) : QtUnit(def, button), button_(button) {
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [button] { button->events().raise(event::kClick); });
    }

  protected:
    void applyKind(int property, const Value& v) override {
        namespace b = prop::button;
        switch (property) {
            case b::kPicture: {
                QPixmap picture;
                const Bytes bytes = asBytes(v);
                picture.loadFromData(bytes.data(), static_cast<uint>(bytes.size()));
                button_->setIcon(QIcon(picture));
                button_->setIconSize(picture.size());
                break;
            }
            case b::kType:
                button_->setDefault(asInt(v) == 1);
                button_->setCheckable(asInt(v) == 2);
                break;
            case b::kChecked:
                button_->setChecked(asBool(v));
                break;
            case b::kCaption:
                button_->setText(literalCaption(v));
                break;
            case b::kFont:
                button_->setFont(fontFromRecord(v));
                break;
            default:
                break;
        }
    }

    std::optional<Value> readKind(int property) const override {
        if (property == prop::button::kChecked) return std::int32_t{button_->isChecked() ? 1 : 0};
        return std::nullopt;
    }

  private:
    Raising<QPushButton>* button_;
};

class GroupBoxUnit : public QtUnit {
  public:
    GroupBoxUnit(const UnitDef& def, Raising<QGroupBox>* box) : QtUnit(def, box), box_(box) {}

  protected:
    void applyKind(int property, const Value& v) override {
        namespace g = prop::groupbox;
        switch (property) {
            case g::kCaption:
                box_->setTitle(literalCaption(v));
                break;
            case g::kCaptionAlign:
                box_->setAlignment(horizontal(asInt(v)));
                break;
            case g::kCaptionColour:
                applyColour(box_, QPalette::WindowText, asInt(v), false);
                applyColour(box_, QPalette::Text, asInt(v), false);
                break;
            case g::kBackColour:
                applyColour(box_, QPalette::Window, asInt(v), true);
                break;
            case g::kFont:
                box_->setFont(fontFromRecord(v));
                break;
            default:
                break;
        }
    }

  private:
    Raising<QGroupBox>* box_;
};

class LabelUnit : public QtUnit {
  public:
    LabelUnit(const UnitDef& def, Raising<QLabel>* label) : QtUnit(def, label), label_(label) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

  protected:
    void applyKind(int property, const Value& v) override {
        namespace l = prop::label;
        switch (property) {
            case l::kCaption:
                label_->setText(toQString(asText(v)));
                break;
            case l::kBorder:
                applyBorder(label_, asInt(v));
                break;
            case l::kFont:
                label_->setFont(fontFromRecord(v));
                break;
            case l::kTextColour:
                applyColour(label_, QPalette::WindowText, asInt(v), false);
                break;
            case l::kBackColour:
                applyColour(label_, QPalette::Window, asInt(v), true);
                break;
            default:
                break;
        }
    }

  private:
    Raising<QLabel>* label_;
};

class ComboBoxUnit : public QtUnit {
  public:
    ComboBoxUnit(const UnitDef& def, Raising<QComboBox>* combo) : QtUnit(def, combo), combo_(combo) {
        combo->view()->setMinimumHeight(160);  // the list drops down at least this far
        if (combo->events().bound(event::kChanged)) {
            QObject::connect(combo, &QComboBox::currentIndexChanged, combo,
                             [combo] { combo->events().raise(event::kChanged); });
        }
    }

  protected:
    void applyKind(int property, const Value& v) override {
        namespace c = prop::combobox;
        switch (property) {
            case c::kType:
                combo_->setEditable(asInt(v) != 2);
                break;
            case c::kText:
                if (combo_->isEditable()) combo_->setEditText(toQString(asText(v)));
                break;
            case c::kSorted:
                if (asBool(v)) combo_->model()->sort(0);
                break;
            case c::kTextColour:
                applyColour(combo_, QPalette::Text, asInt(v), false);
                break;
            case c::kBackColour:
                applyColour(combo_, QPalette::Base, asInt(v), false);
                applyColour(combo_, QPalette::Button, asInt(v), false);
                break;
            case c::kFont:
                combo_->setFont(fontFromRecord(v));
                break;
            case c::kSelection:
                select(asInt(v));
                break;
            case c::kItems: {
                combo_->clear();
                for (const auto& item : splitItems(asText(v))) combo_->addItem(toQString(item));
                if (asBool(stored(c::kSorted) ? *stored(c::kSorted) : Value{0})) combo_->model()->sort(0);
                select(storedInt(c::kSelection, -1));
                break;
            }
            default:
                break;
        }
    }

    std::optional<Value> readKind(int property) const override {
        if (property == prop::combobox::kSelection) return std::int32_t{combo_->currentIndex()};
        if (property == prop::combobox::kText) return toUtf8(combo_->currentText());
        return std::nullopt;
    }

  private:
    void select(std::int32_t requested) {
        const std::int32_t index = comboSelection(requested, combo_->count());
        combo_->setCurrentIndex(index);
        store(prop::combobox::kSelection, index);
    }

    Raising<QComboBox>* combo_;
};

class SliderUnit : public QtUnit {
  public:
    SliderUnit(const UnitDef& def, Raising<QSlider>* slider) : QtUnit(def, slider), slider_(slider) {
        if (slider->events().bound(0)) {
            QObject::connect(slider, &QAbstractSlider::valueChanged, slider,
                             [slider] { slider->events().raise(0); });
        }
    }

  protected:
    void applyKind(int property, const Value& v) override {
        namespace s = prop::slider;
        const std::int32_t n = asInt(v);
        switch (property) {
            case s::kVertical:
                slider_->setOrientation(n ? Qt::Vertical : Qt::Horizontal);
                break;
            case s::kTickMarks: {
                static constexpr QSlider::TickPosition kTicks[] = {
                    QSlider::NoTicks, QSlider::TicksAbove, QSlider::TicksBelow, QSlider::TicksBothSides};
                slider_->setTickPosition(kTicks[clampChoice(n, 0, 3)]);
                break;
            }
            case s::kTickFrequency:
                slider_->setTickInterval(std::max(1, n));
                break;
            case s::kPageSize:
                slider_->setPageStep(n);
                break;
            case s::kLineSize:
                slider_->setSingleStep(n);
                break;
            case s::kMinimum:
                slider_->setMinimum(n);
                break;
            case s::kMaximum:
                slider_->setMaximum(std::max(n, slider_->minimum()));
                break;
            case s::kPosition: {
                const std::int32_t position = sliderPosition(n, slider_->minimum(), slider_->maximum());
                slider_->setValue(position);
                store(s::kPosition, position);
                break;
            }
            default:
                break;
        }
    }

    std::optional<Value> readKind(int property) const override {
        if (property == prop::slider::kPosition) return std::int32_t{slider_->value()};
        return std::nullopt;
    }

  private:
    Raising<QSlider>* slider_;
};

}  // namespace

std::unique_ptr<QtUnit> makeQtUnit(const UnitDef& def, QWidget* parent, const SinkRef& sink) {
    const UnitEvents events(sink, def);
    switch (def.kind) {
        case Kind::Button:
            return std::make_unique<ButtonUnit>(def, new Raising<QPushButton>(events, parent));
        case Kind::GroupBox:
            return std::make_unique<GroupBoxUnit>(def, new Raising<QGroupBox>(events, parent));
        case Kind::Label:
            return std::make_unique<LabelUnit>(def, new Raising<QLabel>(events, parent));
        case Kind::ComboBox:
            return std::make_unique<ComboBoxUnit>(def, new Raising<QComboBox>(events, parent));
        case Kind::SliderBar:
            return std::make_unique<SliderUnit>(def, new Raising<QSlider>(events, Qt::Horizontal, parent));
        case Kind::EditBox:
            return makeEditBoxUnit(def, parent, sink);
        case Kind::PicBox:
            return makePicBoxUnit(def, parent, sink);
        case Kind::DrawPanel:
            return makeDrawPanelUnit(def, parent, sink);
        default:
            return nullptr;
    }
}

}  // namespace tessary::qt
