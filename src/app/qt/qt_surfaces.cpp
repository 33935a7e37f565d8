// SPDX-License-Identifier: GPL-3.0-or-later
#include <QElapsedTimer>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "app/qt/qt_kinds.h"
#include "app/qt/visual_style.h"

namespace tessary::qt {

namespace {

QColor backgroundOf(std::int32_t colour) {
    if (isDefaultColour(colour)) return buttonFace();
    const Rgb c = colourRgb(colour);
    return QColor(c.r, c.g, c.b);
}

// The inside of a draw panel: shows the off-screen image, holds the panel's child units, and keeps the marks
// that must show over those units too.
class PanelClient : public Raising<QWidget> {
  public:
    using Raising<QWidget>::Raising;
    image::Raster raster;
    QColor background = buttonFace();
    QImage marks;  // transparent but for the marks; null while there are none

    void addMark(int x, int y, QColor colour) {
        if (marks.isNull()) {
            marks = QImage(std::max(raster.width, 1), std::max(raster.height, 1),
                           QImage::Format_ARGB32_Premultiplied);
            marks.fill(Qt::transparent);
        }
        if (x >= marks.width() || y >= marks.height()) return;
        marks.setPixel(x, y, colour.rgba());
        // The machine reports up to 1,152 positions a second: they are shown together, at most once a frame,
        // and right after the batch of reports that brought them when a frame has passed since the last.
        pending_ += QRect(x, y, 1, 1);
        if (!flush_) {
            flush_ = new QTimer(this);
            flush_->setSingleShot(true);
            QObject::connect(flush_, &QTimer::timeout, this, [this] { showMarks(); });
        }
        if (flush_->isActive()) return;
        const qint64 since = shown_.isValid() ? shown_.elapsed() : kFrameMs;
        flush_->start(static_cast<int>(std::max<qint64>(kFrameMs - since, 0)));
    }
    void clearMarks() {
        marks = QImage();
        pending_ = QRegion();
    }

  private:
    static constexpr int kFrameMs = 16;

    // Repaints only the pixels marked since the last frame, here and on the units that lie over them.
    void showMarks() {
        if (pending_.isEmpty()) return;
        update(pending_);
        for (QObject* child : children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (!w || !w->isVisible()) continue;
            const QRegion part = pending_ & w->geometry();
            if (!part.isEmpty()) w->update(part.translated(-w->pos()));
        }
        pending_ = QRegion();
        shown_.start();
    }

    QRegion pending_;
    QTimer* flush_ = nullptr;
    QElapsedTimer shown_;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const std::size_t need = static_cast<std::size_t>(std::max(raster.width, 0)) *
                                 static_cast<std::size_t>(std::max(raster.height, 0)) * 3;
        // A handler may have replaced the raster; only a consistent one is shown.
        if (raster.empty() || raster.rgb.size() < need) {
            p.fillRect(rect(), background);
            return;
        }
        const QImage image(raster.rgb.data(), raster.width, raster.height, raster.width * 3,
                           QImage::Format_RGB888);
        p.drawImage(0, 0, image);
        if (raster.width < width()) p.fillRect(raster.width, 0, width() - raster.width, height(), background);
        if (raster.height < height())
            p.fillRect(0, raster.height, raster.width, height() - raster.height, background);
    }
};

class PictureBox : public Raising<QFrame> {
  public:
    using Raising<QFrame>::Raising;
    // Kept in the backing store's own format: a 1-bit preview would otherwise be converted whole for every
    // frame of marks painted over it.
    void setPicture(QImage picture) {
        picture_ = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        update();
    }
    void setMode(int mode) {
        mode_ = mode;
        update();
    }
    void setBackground(QColor c) {
        background_ = c;
        update();
    }

  protected:
    void paintEvent(QPaintEvent* e) override {
        {
            QPainter p(this);
            const QRect inside = contentsRect();
            p.fillRect(inside, background_.isValid() ? background_ : buttonFace());
            if (!picture_.isNull()) {
                p.setClipRect(inside);
                p.setRenderHint(QPainter::SmoothPixmapTransform, mode_ != 0);
                if (mode_ == 0) {
                    p.drawImage(inside.topLeft(), picture_);
                } else if (mode_ == 1) {
                    // Fitted: the whole picture, as large as the box allows, centred, proportions kept.
                    const QSize size = picture_.size().scaled(inside.size(), Qt::KeepAspectRatio);
                    p.drawImage(QRect(inside.topLeft() + QPoint((inside.width() - size.width()) / 2,
                                                                (inside.height() - size.height()) / 2),
                                      size),
                                picture_);
                } else {
                    p.drawImage(inside, picture_);
                }
            }
            // The panel's marks, where the panel and this box overlap (the preview lies over the canvas).
            if (auto* panel = dynamic_cast<PanelClient*>(parentWidget()); panel && !panel->marks.isNull()) {
                p.setClipRect(inside);
                p.drawImage(-pos(), panel->marks);
            }
        }
        // Marks inside the box leave its border alone.
        if (!contentsRect().contains(e->rect())) QFrame::paintEvent(e);
    }

  private:
    QImage picture_;
    int mode_ = 0;
    QColor background_;
};

class PicBoxUnit : public QtUnit {
  public:
    PicBoxUnit(const UnitDef& def, PictureBox* box) : QtUnit(def, box), box_(box) {}

  protected:
    void applyKind(int property, const Value& v) override {
        namespace pb = prop::picbox;
        switch (property) {
            case pb::kBorder:
                applyBorder(box_, asInt(v));
                break;
            case pb::kBackColour:
                box_->setBackground(isDefaultColour(asInt(v)) ? QColor() : backgroundOf(asInt(v)));
                break;
            case pb::kPicture: {
                const Bytes bytes = asBytes(v);
                QImage picture;
                if (!bytes.empty()) picture.loadFromData(bytes.data(), static_cast<int>(bytes.size()));
                box_->setPicture(std::move(picture));
                break;
            }
            case pb::kDisplayMode:
                box_->setMode(asInt(v));
                break;
            default:
                break;
        }
    }

  private:
    PictureBox* box_;
};

void fill(image::Raster& r, QColor c) {
    r.fill(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
           static_cast<std::uint8_t>(c.blue()));
}

class PanelUnit : public DrawPanelUnit {
  public:
    PanelUnit(const UnitDef& def, QFrame* frame, PanelClient* client)
        : DrawPanelUnit(def, frame), frame_(frame), client_(client) {
        layoutClient();
    }

    QWidget* clientArea() const override { return client_; }

    image::Raster& pixels() override {
        drawnOn_ = true;
        return client_ ? client_->raster : detached_;
    }
    // The default colour is resolved when it is set, so the panel's image and its later clearing agree
    // even if the application's palette changes meanwhile (as the visual style does at start-up).
    std::uint32_t background() const override {
        const QColor c = client_ ? client_->background : buttonFace();
        return static_cast<std::uint32_t>(colourValue(static_cast<std::uint8_t>(c.red()),
                                                      static_cast<std::uint8_t>(c.green()),
                                                      static_cast<std::uint8_t>(c.blue())));
    }
    void changed() override {
        if (!client_) return;
        client_->clearMarks();
        client_->update();
        for (QObject* child : client_->children()) {
            if (auto* w = qobject_cast<QWidget*>(child)) w->update();
        }
    }
    void plotMark(int x, int y, std::uint32_t colour) override {
        DrawSurface::plotMark(x, y, colour);
        const image::Raster& r = client_ ? client_->raster : detached_;
        if (!client_ || x < 0 || y < 0 || x >= r.width || y >= r.height) return;
        const Rgb c = colourRgb(static_cast<std::int32_t>(colour));
        client_->addMark(x, y, QColor(c.r, c.g, c.b));
    }
    int displayDepth() const override {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->depth() : 32;
    }

  protected:
    void applyGeometry() override { layoutClient(); }

    void applyKind(int property, const Value& v) override {
        namespace d = prop::drawpanel;
        if (property == d::kBorder) {
            applyBorder(frame_, asInt(v));
            layoutClient();
        } else if (property == d::kBackColour && client_) {
            client_->background = backgroundOf(asInt(v));
            if (!drawnOn_) fill(client_->raster, client_->background);
            client_->update();
        }
    }

  private:
    // The inside is the panel less its border; its image keeps what was drawn where the sizes overlap.
    void layoutClient() {
        if (!client_ || !frame_) return;
        const int inset = borderThickness(storedInt(prop::drawpanel::kBorder, kBorderNone));
        const QRect inside = frame_->rect().adjusted(inset, inset, -inset, -inset);
        client_->setGeometry(inside);
        image::Raster& old = client_->raster;
        const int w = std::max(0, inside.width()), h = std::max(0, inside.height());
        if (old.width == w && old.height == h && old.rgb.size() == static_cast<std::size_t>(w) * h * 3)
            return;
        image::Raster next(w, h);
        fill(next, client_->background);
        if (old.rgb.size() ==
            static_cast<std::size_t>(std::max(old.width, 0)) * std::max(old.height, 0) * 3) {
            for (int y = 0; y < std::min(h, old.height); ++y) {
                std::copy_n(old.at(0, y), static_cast<std::size_t>(std::min(w, old.width)) * 3,
                            next.at(0, y));
            }
        }
        old = std::move(next);
    }

    QPointer<QFrame> frame_;
    QPointer<PanelClient> client_;
    image::Raster detached_;
    bool drawnOn_ = false;
};

}  // namespace

std::unique_ptr<QtUnit> makePicBoxUnit(const UnitDef& def, QWidget* parent, const SinkRef& sink) {
    return std::make_unique<PicBoxUnit>(def, new PictureBox(UnitEvents(sink, def), parent));
}

std::unique_ptr<QtUnit> makeDrawPanelUnit(const UnitDef& def, QWidget* parent, const SinkRef& sink) {
    auto* frame = new QFrame(parent);
    auto* client = new PanelClient(UnitEvents(sink, def), frame);
    // It paints every pixel it covers: what lies below it (the group box and its title) is not painted again
    // for each frame of marks.
    client->setAttribute(Qt::WA_OpaquePaintEvent);
    return std::make_unique<PanelUnit>(def, frame, client);
}

}  // namespace tessary::qt
