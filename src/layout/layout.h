// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One engraving from several pieces: pictures, text blocks and QR codes, each placed, sized and turned on
// the 512-dot engraving and turned to black and white on its own, then combined (black wins). Plain fields
// only, so that a job can keep a layout as a list of items.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "image/conversion.h"
#include "image/qr/qr_code.h"
#include "intake/image_state.h"
#include "raster/raster.h"

namespace tessary::layout {

inline constexpr int kEngravingDots = 512;
inline constexpr int kFieldDots = 492;       // the intake's 490-pixel field as it lies on the engraving
inline constexpr int kMaxItemSide = 2048;    // dots; larger items would only be clipped
inline constexpr int kMaxPosition = 100000;  // dots either way of the engraving's corner
inline constexpr std::size_t kMaxItems = 1000;

enum class ItemKind { Picture, Text, QrCode };

// A rectangle of the picture as taken in (upright, its own pixels); a zero width or height: all of it.
struct Crop {
    int left = 0, top = 0, width = 0, height = 0;
    bool whole() const { return width <= 0 || height <= 0; }
    bool operator==(const Crop&) const = default;
};

struct Item {
    ItemKind kind = ItemKind::Picture;
    std::string file;        // Picture: the picture file (any format the intake takes)
    intake::TypedText text;  // Text: the Text window's text and style
    image::QrOptions qr;     // QR code
    // false: centred in the field, as the intake places a lone picture; x and y are then not read.
    bool placed = false;
    int x = 0, y = 0;  // the top-left of the item's box on the engraving, dots; may lie off it
    // The box on the engraving (after the turn), dots; 0: the natural size (a picture fitted into the field,
    // never enlarged; text as typed; a code dot for dot); one side 0: from the other, proportions kept.
    int width = 0, height = 0;
    int quarterTurns = 0;  // clockwise, 0..3
    // The item's own conversion; its mirror, size and fill are not read (the layout's mirror is).
    image::ConversionOptions conversion;
    Crop crop;  // Picture only
    bool operator==(const Item&) const = default;
};

struct Layout {
    std::vector<Item> items;  // back to front (black wins, so the order changes nothing yet)
    bool mirror = false;      // the whole engraving, left to right
    bool operator==(const Layout&) const = default;
};

// Whether the layout is a lone picture where the intake puts it, unturned and uncropped: it is then taken in
// by the intake itself (takeIn with the item's conversion and the layout's mirror), byte for byte as today.
bool takenInAsToday(const Layout& layout);

// A picture decoded once for every item that shows it (the same file and crop), at the largest size any of
// them is drawn at, never larger than the crop itself.
struct SharedPicture {
    std::string file;
    Crop crop;
    int ownWidth = 0, ownHeight = 0;  // the whole picture, upright
    image::Raster pixels;             // the crop (or all), resampled
};

// Why an item cannot be drawn, or why it draws nothing on the engraving; `item` counts from 1.
struct ItemNote {
    std::size_t item = 0;
    std::string text;
    bool wrongFileType = false;  // a picture no decoder takes
};

struct Composition {
    image::Bitmap preview;           // 512 x 512, 1 bit per pixel, as the preview shows it; empty on failure
    std::vector<ItemNote> refusals;  // items that cannot be drawn: no engraving then
    std::vector<ItemNote> offField;  // items with no visible part (the engraving is made all the same)
};

// Decodes the layout's pictures (sharing them) and renders its text and codes: the pieces compose() draws.
// Kept between redraws, so that moving an item decodes nothing again.
class Pieces {
  public:
    // Refusals as compose() reports them: a picture the decoders refuse, a crop outside its picture, text
    // that cannot be drawn, a code too long.
    std::vector<ItemNote> prepare(const Layout& layout);
    // The item's upright source (before its turn), or nullptr when it had none.
    const image::Raster* source(std::size_t index) const;
    std::size_t sharedPictures() const { return shared_.size(); }
    // The item converted alone (itemEngraving), kept while nothing but its place changes, so that a redraw
    // after a move only combines.
    const image::Bitmap& engraving(std::size_t index, const Item& item);
    void forgetEngravings() { engravings_.clear(); }

  private:
    struct Converted {
        Item item;  // placed, x and y cleared
        const image::Raster* source = nullptr;
        image::Bitmap bitmap;
    };
    std::vector<std::shared_ptr<SharedPicture>> shared_;
    std::vector<std::shared_ptr<const image::Raster>> sources_;  // one per item
    std::vector<Converted> engravings_;                          // one per item, once converted
};

// The box an item takes on the engraving, its natural size from its source.
struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Box&) const = default;
};
Box itemBox(const Item& item, int sourceWidth, int sourceHeight);

// The item alone: its source drawn into its box (before its turn), turned, and converted; the box's size,
// 1 bit per pixel, 1 = white.
image::Bitmap itemEngraving(const Item& item, const image::Raster& source);

// The layout's engraving from prepared pieces: each item converted on its own, clipped to the engraving,
// black wins; mirrored at the end.
Composition compose(const Layout& layout, Pieces& pieces);
// Pieces prepared and composed at once.
Composition compose(const Layout& layout);

// "item 2 (text): ..." lines for the operator.
std::string describeItem(const Layout& layout, std::size_t index);

}  // namespace tessary::layout
