// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout/layout.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <variant>

#include "image/area_scaler.h"
#include "image/canvas.h"
#include "image/decode/decode.h"
#include "image/decode/orientation.h"
#include "intake/drawn_pictures.h"
#include "intake/intake.h"

namespace tessary::layout {
namespace {

bool isDefaultPlace(const Item& item) {
    return !item.placed && item.width == 0 && item.height == 0 && item.quarterTurns == 0 && item.crop.whole();
}

// The longer side scaled down to `limit`, never up; the shorter side at least one pixel.
std::pair<int, int> fitWithin(int w, int h, int limit) {
    if (w <= limit && h <= limit) return {w, h};
    if (w >= h) return {limit, std::max(1, static_cast<int>(static_cast<double>(h) * limit / w))};
    return {std::max(1, static_cast<int>(static_cast<double>(w) * limit / h)), limit};
}

// The upright rectangle (l, t, w, h) of a picture of upright size W x H as it lies in the stored rows.
image::PictureRect storedRect(int orientation, int l, int t, int w, int h, int uprightW, int uprightH) {
    const bool swap = image::swapsSides(orientation);
    const int sw = swap ? uprightH : uprightW, sh = swap ? uprightW : uprightH;
    const auto map = [&](int x, int y) -> std::pair<int, int> {
        switch (image::validOrientation(orientation)) {
            case 2:
                return {sw - 1 - x, y};
            case 3:
                return {sw - 1 - x, sh - 1 - y};
            case 4:
                return {x, sh - 1 - y};
            case 5:
                return {y, x};
            case 6:
                return {y, sh - 1 - x};
            case 7:
                return {sw - 1 - y, sh - 1 - x};
            case 8:
                return {sw - 1 - y, x};
            default:
                return {x, y};
        }
    };
    const auto [x0, y0] = map(l, t);
    const auto [x1, y1] = map(l + w - 1, t + h - 1);
    return {std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0) + 1, std::abs(y1 - y0) + 1};
}

// Keeps the crop's rows and columns of the rows as the decoder delivers them and resamples them to the
// size asked, so that only the crop is ever held, at the drawn size.
class CropSink : public image::RowSink {
  public:
    // `longest` gives the side the crop is resampled to from the crop's size, once the picture's is known.
    CropSink(const Crop& crop, std::function<int(int, int)> longest)
        : crop_(crop), longest_(std::move(longest)) {}

    image::DecodeOptions options() {
        image::DecodeOptions o;
        o.drawnSize = [this](int width, int height) {
            own_ = {width, height};
            const Crop c = cropOf(width, height);
            const auto [tw, th] = fitWithin(c.width, c.height, longest_(c.width, c.height));
            // The whole picture at the scale that gives the crop its drawn size.
            const double sx = static_cast<double>(tw) / c.width, sy = static_cast<double>(th) / c.height;
            return std::pair{std::max(1, static_cast<int>(std::ceil(width * sx))),
                             std::max(1, static_cast<int>(std::ceil(height * sy)))};
        };
        return o;
    }
    void storedOrientation(int orientation) override { orientation_ = image::validOrientation(orientation); }
    bool begin(int width, int height) override {
        const bool swap = image::swapsSides(orientation_);
        if (!own_) own_ = swap ? std::pair{height, width} : std::pair{width, height};
        const auto [W, H] = *own_;
        const Crop c = cropOf(W, H);
        if (c.left < 0 || c.top < 0 || c.width <= 0 || c.height <= 0 || c.left + c.width > W ||
            c.top + c.height > H) {
            outside_ = true;
            return false;
        }
        // The crop in the stored rows, at the scale they come in.
        const image::PictureRect r = storedRect(orientation_, c.left, c.top, c.width, c.height, W, H);
        const int storedW = swap ? H : W, storedH = swap ? W : H;
        const double fx = static_cast<double>(width) / storedW, fy = static_cast<double>(height) / storedH;
        left_ = std::clamp(static_cast<int>(r.left * fx), 0, width - 1);
        top_ = std::clamp(static_cast<int>(r.top * fy), 0, height - 1);
        const int right = std::clamp(static_cast<int>(std::ceil((r.left + r.width) * fx)), left_ + 1, width);
        const int bottom = std::clamp(static_cast<int>(std::ceil((r.top + r.height) * fy)), top_ + 1, height);
        cw_ = right - left_;
        ch_ = bottom - top_;
        auto [tw, th] = fitWithin(c.width, c.height, longest_(c.width, c.height));
        if (swap) std::swap(tw, th);
        scaler_ = std::make_unique<image::AreaScaler>(tw, th);
        return scaler_->begin(cw_, ch_);
    }
    void row(int y, const std::uint8_t* rgb) override {
        if (y >= top_ && y < top_ + ch_) scaler_->row(y - top_, rgb + static_cast<std::size_t>(left_) * 3);
    }
    bool outside() const { return outside_; }
    std::pair<int, int> own() const { return own_.value_or(std::pair{0, 0}); }
    image::Raster take() {
        return scaler_ ? image::uprightRaster(scaler_->take(), orientation_) : image::Raster();
    }

  private:
    Crop cropOf(int w, int h) const { return crop_.whole() ? Crop{0, 0, w, h} : crop_; }
    Crop crop_;
    std::function<int(int, int)> longest_;
    int orientation_ = 1;
    std::optional<std::pair<int, int>> own_;
    bool outside_ = false;
    int left_ = 0, top_ = 0, cw_ = 0, ch_ = 0;
    std::unique_ptr<image::AreaScaler> scaler_;
};

// The longest side an item draws its source at (before its turn), from its box or its natural size.
int longestDrawnSide(const Item& item, int cropW, int cropH) {
    const Box b = itemBox(item, cropW, cropH);
    return std::clamp(std::max(b.width, b.height), 1, kMaxItemSide);
}

image::Raster turnedClockwise(const image::Raster& in) {
    image::Raster out(in.height, in.width);
    for (int v = 0; v < out.height; ++v)
        for (int u = 0; u < out.width; ++u) std::memcpy(out.at(u, v), in.at(v, in.height - 1 - u), 3);
    return out;
}

const char* kindName(ItemKind kind) {
    switch (kind) {
        case ItemKind::Picture:
            return "picture";
        case ItemKind::Text:
            return "text";
        case ItemKind::QrCode:
            return "QR code";
    }
    return "item";
}

}  // namespace

bool takenInAsToday(const Layout& layout) {
    return layout.items.size() == 1 && layout.items[0].kind == ItemKind::Picture &&
           isDefaultPlace(layout.items[0]);
}

Box itemBox(const Item& item, int sourceWidth, int sourceHeight) {
    // The source's natural size: a picture fitted into the field, never enlarged; text and codes as drawn.
    int w = sourceWidth, h = sourceHeight;
    if (item.kind == ItemKind::Picture) std::tie(w, h) = fitWithin(sourceWidth, sourceHeight, kFieldDots);
    if (item.quarterTurns % 2) std::swap(w, h);
    if (item.width > 0 && item.height > 0) {
        w = item.width;
        h = item.height;
    } else if (item.width > 0 && w > 0) {
        h = std::max(1, static_cast<int>(static_cast<double>(h) * item.width / w));
        w = item.width;
    } else if (item.height > 0 && h > 0) {
        w = std::max(1, static_cast<int>(static_cast<double>(w) * item.height / h));
        h = item.height;
    }
    w = std::min(w, kMaxItemSide);
    h = std::min(h, kMaxItemSide);
    if (item.placed) return {item.x, item.y, w, h};
    return {(kFieldDots - w) / 2, (kFieldDots - h) / 2, w, h};
}

std::vector<ItemNote> Pieces::prepare(const Layout& layout) {
    std::vector<ItemNote> refusals;
    std::vector<std::shared_ptr<SharedPicture>> shared;
    sources_.assign(layout.items.size(), nullptr);
    // Pictures first: each file and crop decoded once, at the largest size its items need (the crop's own
    // size is only known once decoded: until then, the field's or the box's). One kept from the last
    // prepare is decoded again only when an item now wants it larger.
    for (const Item& item : layout.items) {
        if (item.kind != ItemKind::Picture) continue;
        const auto same = [&](const std::shared_ptr<SharedPicture>& p) {
            return p->file == item.file && p->crop == item.crop;
        };
        if (std::find_if(shared.begin(), shared.end(), same) != shared.end()) continue;
        const auto kept = std::find_if(shared_.begin(), shared_.end(), same);
        shared.push_back(kept != shared_.end() ? *kept
                                               : std::make_shared<SharedPicture>(
                                                     SharedPicture{item.file, item.crop, 0, 0, {}}));
    }
    for (auto& picture : shared) {
        // The largest side any of its items draws it at: a function of the layout alone, so that a redraw
        // and a fresh composition give the same pixels.
        const auto longest = [&layout, file = picture->file, crop = picture->crop](int cropW, int cropH) {
            int side = 1;
            for (const Item& item : layout.items)
                if (item.kind == ItemKind::Picture && item.file == file && item.crop == crop)
                    side = std::max(side, longestDrawnSide(item, cropW, cropH));
            return std::min(side, kMaxItemSide);
        };
        if (picture->ownWidth > 0 && !picture->pixels.empty()) {
            const int cropW = picture->crop.whole() ? picture->ownWidth : picture->crop.width;
            const int cropH = picture->crop.whole() ? picture->ownHeight : picture->crop.height;
            const auto [tw, th] = fitWithin(cropW, cropH, longest(cropW, cropH));
            if (picture->pixels.width == tw && picture->pixels.height == th) continue;
        }
        // A new one, never the kept one changed: converted items are known by their source's address.
        picture = std::make_shared<SharedPicture>(SharedPicture{picture->file, picture->crop, 0, 0, {}});
        CropSink sink(picture->crop, longest);
        static constexpr image::Decoder kLater[] = {intake::decodeSvg};
        image::DecodeInfo info;
        const int result = image::decodePicture(picture->file, sink, sink.options(), &info, kLater);
        picture->pixels = result == image::kConvertOk ? sink.take() : image::Raster();
        picture->ownWidth = info.width;
        picture->ownHeight = info.height;
        if (sink.outside()) {
            picture->ownWidth = sink.own().first;
            picture->ownHeight = sink.own().second;
        }
    }
    shared_ = std::move(shared);
    for (std::size_t i = 0; i < layout.items.size(); ++i) {
        const Item& item = layout.items[i];
        switch (item.kind) {
            case ItemKind::Picture: {
                for (const auto& p : shared_)
                    if (p->file == item.file && p->crop == item.crop) {
                        if (p->pixels.empty()) {
                            const bool outside = !item.crop.whole() && p->ownWidth > 0;
                            refusals.push_back({i + 1,
                                                outside ? "the crop " + std::to_string(item.crop.left) + "," +
                                                              std::to_string(item.crop.top) + "," +
                                                              std::to_string(item.crop.width) + "," +
                                                              std::to_string(item.crop.height) +
                                                              " does not lie inside the picture (" +
                                                              std::to_string(p->ownWidth) + " x " +
                                                              std::to_string(p->ownHeight) + ")"
                                                        : std::string(intake::kWrongFileType),
                                                !outside});
                        } else {
                            // Shares the decoded pixels; no copy.
                            sources_[i] = std::shared_ptr<const image::Raster>(p, &p->pixels);
                        }
                    }
                break;
            }
            case ItemKind::Text: {
                const auto& drawing = intake::drawing();
                std::string refusal = drawing.textRefusal(item.text.text, item.text.style);
                if (refusal.empty() && !drawing.hasText(item.text.text))
                    refusal = std::string(intake::kNoText);
                image::Raster rendered;
                if (refusal.empty()) rendered = drawing.renderText(item.text.text, item.text.style);
                if (refusal.empty() && rendered.empty()) refusal = intake::drawingMissing();
                if (!refusal.empty())
                    refusals.push_back({i + 1, refusal});
                else
                    sources_[i] = std::make_shared<const image::Raster>(std::move(rendered));
                break;
            }
            case ItemKind::QrCode: {
                const auto measured = image::measureQr(item.qr);
                if (const auto* refusal = std::get_if<std::string>(&measured))
                    refusals.push_back({i + 1, *refusal});
                else
                    sources_[i] = std::make_shared<const image::Raster>(image::renderQr(item.qr));
                break;
            }
        }
    }
    return refusals;
}

const image::Raster* Pieces::source(std::size_t index) const {
    return index < sources_.size() ? sources_[index].get() : nullptr;
}

image::Bitmap itemEngraving(const Item& item, const image::Raster& source) {
    // The shared picture may have been decoded smaller than the crop's own size: its box is sized from the
    // crop, as the operator chose it.
    const Box box = itemBox(item, source.width, source.height);
    const bool turned = item.quarterTurns % 2;
    const int dw = turned ? box.height : box.width, dh = turned ? box.width : box.height;
    image::Raster drawn(dw, dh);
    drawn.fill(255, 255, 255);
    // Codes keep their modules whole: dropped or repeated dots, never blended.
    const image::Resample mode =
        item.kind == ItemKind::QrCode ? image::Resample::Nearest : image::Resample::Halftone;
    image::drawPicture(drawn, source, 0, 0, dw, dh, mode);
    for (int t = 0; t < item.quarterTurns % 4; ++t) drawn = turnedClockwise(drawn);
    image::ConversionOptions options = item.conversion;
    options.mirror = false;
    options.size = 0;
    options.fill = false;
    if (options.invert)
        for (std::uint8_t& b : drawn.rgb) b = static_cast<std::uint8_t>(255 - b);
    return image::convertToBlackAndWhite(drawn, {0, 0, drawn.width, drawn.height}, options);
}

const image::Bitmap& Pieces::engraving(std::size_t index, const Item& item) {
    if (engravings_.size() <= index) engravings_.resize(index + 1);
    Item unplaced = item;
    unplaced.placed = false;
    unplaced.x = unplaced.y = 0;
    Converted& kept = engravings_[index];
    const image::Raster* from = source(index);
    if (kept.bitmap.empty() || kept.source != from || !(kept.item == unplaced)) {
        kept.item = std::move(unplaced);
        kept.source = from;
        kept.bitmap = from ? itemEngraving(item, *from) : image::Bitmap();
    }
    return kept.bitmap;
}

Composition compose(const Layout& layout, Pieces& pieces) {
    Composition out;
    for (std::size_t i = 0; i < layout.items.size(); ++i)
        if (!pieces.source(i)) out.refusals.push_back({i + 1, "nothing to draw"});
    if (!out.refusals.empty()) return out;
    image::Bitmap engraving = image::Bitmap::create(kEngravingDots, kEngravingDots, 1);
    for (int y = 0; y < kEngravingDots; ++y) std::fill_n(engraving.topRow(y), engraving.stride(), 0xFF);
    for (std::size_t i = 0; i < layout.items.size(); ++i) {
        const Item& item = layout.items[i];
        const image::Raster& source = *pieces.source(i);
        const Box box = itemBox(item, source.width, source.height);
        const int x0 = std::max(0, box.left), y0 = std::max(0, box.top);
        const int x1 = std::min(kEngravingDots, box.left + box.width);
        const int y1 = std::min(kEngravingDots, box.top + box.height);
        if (x0 >= x1 || y0 >= y1) {
            out.offField.push_back({i + 1, "lies wholly off the engraving: nothing of it is engraved"});
            continue;
        }
        const image::Bitmap& alone = pieces.engraving(i, item);
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* from = alone.topRow(y - box.top);
            std::uint8_t* to = engraving.topRow(y);
            for (int x = x0; x < x1; ++x) {
                const int ix = x - box.left;
                if (!(from[ix / 8] & (0x80 >> (ix % 8))))
                    to[x / 8] &= static_cast<std::uint8_t>(~(0x80 >> (x % 8)));
            }
        }
    }
    out.preview = layout.mirror ? engraving.Mirror(true, false) : std::move(engraving);
    return out;
}

Composition compose(const Layout& layout) {
    Pieces pieces;
    Composition out;
    out.refusals = pieces.prepare(layout);
    if (!out.refusals.empty()) return out;
    return compose(layout, pieces);
}

std::string describeItem(const Layout& layout, std::size_t index) {
    if (index == 0 || index > layout.items.size()) return "item " + std::to_string(index);
    const Item& item = layout.items[index - 1];
    std::string name = "item " + std::to_string(index) + " (" + kindName(item.kind);
    if (item.kind == ItemKind::Picture) name += " \"" + item.file + "\"";
    return name + ")";
}

}  // namespace tessary::layout
