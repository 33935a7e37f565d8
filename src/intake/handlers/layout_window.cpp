// SPDX-License-Identifier: GPL-3.0-or-later
// The Layout window: the picture taken in is the first piece; pictures, text blocks and QR codes are added,
// placed and sized by their numbers, and the engraving they make together replaces the picture's. With the
// first piece alone where the intake put it, the engraving is the intake's own again.
#include <charconv>
#include <optional>
#include <string>
#include <variant>

#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "image/canvas.h"
#include "intake/handlers/intake_handlers.h"
#include "intake/handlers/main_window_surroundings.h"
#include "intake/intake.h"
#include "layout/layout.h"
#include "platform/paths.h"

namespace tessary::intake {
namespace {

namespace lw = layout_window;

struct LayoutWindowState {
    layout::Layout layout;
    layout::Pieces pieces;
    std::size_t chosen = 0;
    bool filling = false;  // the handler itself is setting the controls
    std::string folder;    // where Add picture's chooser opens
};

Window* layoutWindow(Console& console) { return console.window(layoutWindowDefinition().name); }

// The piece the intake's picture (or typed text) makes, at the intake's place with the chosen options.
std::optional<layout::Item> takenInItem(const ImageState& state) {
    if (state.pictureWidth <= 0) return std::nullopt;
    layout::Item item;
    if (state.typedText) {
        item.kind = layout::ItemKind::Text;
        item.text = *state.typedText;
    } else {
        item.file = state.droppedFileName;
    }
    item.conversion = state.options;
    item.conversion.mirror = item.conversion.fill = false;
    item.conversion.size = 0;
    return item;
}

// The layout starts again from the intake's picture when another was taken in since.
void followIntake(Console& console) {
    auto& ui = console.state<LayoutWindowState>();
    const ImageState& state = console.state<ImageState>();
    std::optional<layout::Item> first = takenInItem(state);
    const bool same = first && !ui.layout.items.empty() && ui.layout.items[0].kind == first->kind &&
                      ui.layout.items[0].file == first->file && ui.layout.items[0].text == first->text;
    if (same) {
        ui.layout.items[0].conversion = first->conversion;
    } else {
        ui.layout.items.clear();
        if (first) ui.layout.items.push_back(*first);
        ui.chosen = 0;
    }
    ui.layout.mirror = state.options.mirror;
}

// Whether the layout is the intake's picture alone where the intake put it.
bool intakeAlone(const layout::Layout& l) {
    const layout::Item& i = l.items[0];
    return l.items.size() == 1 && !i.placed && i.width == 0 && i.height == 0 && i.quarterTurns == 0 &&
           i.crop.whole();
}

std::string itemName(const layout::Item& item, std::size_t index) {
    const std::string n = std::to_string(index + 1) + ". ";
    auto shortened = [](std::string s) {
        for (char& c : s)
            if (c == '\n') c = ' ';
        return s.size() > 40 ? s.substr(0, 40) + "…" : s;
    };
    switch (item.kind) {
        case layout::ItemKind::Picture:
            return n + "Picture: " + platform::textFromPath(platform::pathFromText(item.file).filename());
        case layout::ItemKind::Text:
            return n + "Text: " + shortened(item.text.text);
        case layout::ItemKind::QrCode:
            return n + "QR code: " + shortened(item.qr.text);
    }
    return n;
}

// The engraving with every piece's outline (the chosen one in blue, the others in red), for the window.
image::Bytes outlined(const image::Bitmap& engraving, const LayoutWindowState& ui) {
    image::Raster r(layout::kEngravingDots, layout::kEngravingDots);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            const bool white = engraving.empty() || (engraving.topRow(y)[x / 8] & (0x80 >> (x % 8)));
            std::uint8_t* p = r.at(x, y);
            p[0] = p[1] = p[2] = white ? 255 : 0;
        }
    for (std::size_t i = 0; i < ui.layout.items.size(); ++i) {
        const image::Raster* source = ui.pieces.source(i);
        if (!source) continue;
        layout::Box b = layout::itemBox(ui.layout.items[i], source->width, source->height);
        if (ui.layout.mirror) b.left = layout::kEngravingDots - b.left - b.width;
        const std::uint32_t colour = i == ui.chosen ? 0x00FF0000 : 0x000000FF;
        // Two dots thick, so that it shows in the window's half-size view.
        for (int t = 0; t < 2; ++t) {
            image::clear(r, b.left + t, b.top + t, b.width - 2 * t, 1, colour);
            image::clear(r, b.left + t, b.top + b.height - 1 - t, b.width - 2 * t, 1, colour);
            image::clear(r, b.left + t, b.top + t, 1, b.height - 2 * t, colour);
            image::clear(r, b.left + b.width - 1 - t, b.top + t, 1, b.height - 2 * t, colour);
        }
    }
    return image::takeSnapshot(r, r.width, r.height, image::Resample::Nearest);
}

void fillControls(Console& console, Window& w, const std::string& status) {
    auto& ui = console.state<LayoutWindowState>();
    ui.filling = true;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < ui.layout.items.size(); ++i) names.push_back(itemName(ui.layout.items[i], i));
    w.set(lw::kItems, prop::combobox::kItems, joinItems(names));
    w.set(lw::kItems, prop::combobox::kSelection, static_cast<std::int32_t>(ui.chosen));
    const image::Raster* source = ui.pieces.source(ui.chosen);
    const bool any = ui.chosen < ui.layout.items.size() && source;
    const layout::Box b =
        any ? layout::itemBox(ui.layout.items[ui.chosen], source->width, source->height) : layout::Box{};
    const std::pair<std::string_view, int> numbers[] = {
        {lw::kX, b.left}, {lw::kY, b.top}, {lw::kWidth, b.width}, {lw::kHeight, b.height}};
    for (const auto& [unit, value] : numbers)
        w.set(unit, prop::editbox::kContent, any ? std::to_string(value) : std::string());
    w.set(lw::kTurn, prop::combobox::kSelection,
          static_cast<std::int32_t>(any ? ui.layout.items[ui.chosen].quarterTurns : 0));
    w.set(lw::kRemove, prop::kDisabled, std::int32_t{ui.layout.items.size() > 1 ? 0 : 1});
    w.set(lw::kStatus, prop::label::kCaption, status);
    ui.filling = false;
}

// The layout's engraving becomes the console's (the intake's own for its picture alone); the window shows it
// with the outlines, or why a piece cannot be drawn.
std::string apply(Console& console) {
    auto& ui = console.state<LayoutWindowState>();
    ImageState& state = console.state<ImageState>();
    std::string status;
    image::Bitmap shown;
    if (!ui.layout.items.empty() && console.hasMainWindow()) {
        const std::vector<layout::ItemNote> refusals = ui.pieces.prepare(ui.layout);
        MainWindowSurroundings around(console);
        if (!refusals.empty()) {
            status = layout::describeItem(ui.layout, refusals[0].item) + ": " + refusals[0].text;
        } else if (intakeAlone(ui.layout)) {
            reconvert(state, around);
            shown = state.engraving.Mirror(false, true);
        } else {
            const layout::Composition made = layout::compose(ui.layout, ui.pieces);
            showEngraving(state, around, made.preview);
            shown = made.preview;
            for (const layout::ItemNote& note : made.offField)
                status += layout::describeItem(ui.layout, note.item) + " " + note.text + " ";
        }
    }
    if (Window* w = layoutWindow(console)) w->set(lw::kPreview, prop::picbox::kPicture, outlined(shown, ui));
    return status;
}

void refresh(Console& console, const std::string& said = {}) {
    const std::string status = apply(console);
    if (Window* w = layoutWindow(console)) fillControls(console, *w, said.empty() ? status : said);
}

std::optional<int> number(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

void onOpenLayoutWindow(Console& console, const EventArgs&) {
    loadPictureOptions(console);
    console.openWindow(layoutWindowDefinition());
}

void onShowLayoutWindow(Console& console, const EventArgs&) {
    loadPictureOptions(console);
    followIntake(console);
    refresh(console, console.state<LayoutWindowState>().layout.items.empty()
                         ? "Take in a picture or a text first: it is the first piece."
                         : "");
}

void onItemChosen(Console& console, const EventArgs&) {
    auto& ui = console.state<LayoutWindowState>();
    Window* w = layoutWindow(console);
    if (ui.filling || !w) return;
    const int chosen = w->getInt(lw::kItems, prop::combobox::kSelection);
    if (chosen >= 0 && static_cast<std::size_t>(chosen) < ui.layout.items.size()) ui.chosen = chosen;
    fillControls(console, *w, "");
    w->set(lw::kPreview, prop::picbox::kPicture,
           outlined(console.state<ImageState>().engraving.Mirror(false, true), ui));
}

void onNumbersChanged(Console& console, const EventArgs&) {
    auto& ui = console.state<LayoutWindowState>();
    Window* w = layoutWindow(console);
    if (ui.filling || !w) return;
    followIntake(console);
    if (ui.chosen >= ui.layout.items.size()) return;
    const auto x = number(w->getText(lw::kX, prop::editbox::kContent));
    const auto y = number(w->getText(lw::kY, prop::editbox::kContent));
    const auto width = number(w->getText(lw::kWidth, prop::editbox::kContent));
    const auto height = number(w->getText(lw::kHeight, prop::editbox::kContent));
    const int turn = w->getInt(lw::kTurn, prop::combobox::kSelection);
    const bool fits = x && y && width && height && std::abs(*x) <= layout::kMaxPosition &&
                      std::abs(*y) <= layout::kMaxPosition && *width >= 1 && *height >= 1 &&
                      *width <= layout::kMaxItemSide && *height <= layout::kMaxItemSide;
    if (!fits) {
        // Half-typed numbers wait; the engraving stays as it was.
        w->set(lw::kStatus, prop::label::kCaption,
               std::string("Position and size are whole dots; width and height from 1 to 2048."));
        return;
    }
    layout::Item& item = ui.layout.items[ui.chosen];
    const int oldTurn = item.quarterTurns;
    item.placed = true;
    item.x = *x;
    item.y = *y;
    item.quarterTurns = turn >= 0 && turn < 4 ? turn : 0;
    // A new turn swaps the box's sides, as the piece itself turns.
    const bool swapped = (item.quarterTurns - oldTurn) % 2 != 0;
    item.width = swapped ? *height : *width;
    item.height = swapped ? *width : *height;
    refresh(console);
}

void onRemove(Console& console, const EventArgs&) {
    auto& ui = console.state<LayoutWindowState>();
    followIntake(console);
    if (ui.layout.items.size() <= 1 || ui.chosen >= ui.layout.items.size()) return;
    ui.layout.items.erase(ui.layout.items.begin() + static_cast<std::ptrdiff_t>(ui.chosen));
    ui.chosen = std::min(ui.chosen, ui.layout.items.size() - 1);
    refresh(console);
}

// A new piece, centred in the field at its natural size, becomes the chosen one; refused, it is not kept.
void add(Console& console, layout::Item item) {
    auto& ui = console.state<LayoutWindowState>();
    followIntake(console);
    if (ui.layout.items.empty()) {
        refresh(console, "Take in a picture or a text first: it is the first piece.");
        return;
    }
    ui.layout.items.push_back(std::move(item));
    const std::vector<layout::ItemNote> refusals = ui.pieces.prepare(ui.layout);
    if (!refusals.empty()) {
        const std::string why = refusals[0].text;
        ui.layout.items.pop_back();
        refresh(console, why);
        return;
    }
    ui.chosen = ui.layout.items.size() - 1;
    refresh(console);
}

std::string typedContent(Console& console) {
    Window* w = layoutWindow(console);
    return w ? w->getText(lw::kContent, prop::editbox::kContent) : std::string();
}

void onAddPicture(Console& console, const EventArgs&) {
    auto& ui = console.state<LayoutWindowState>();
    const std::optional<std::string> path =
        console.dialogs().openFile("Add picture", ui.folder, pictureFilters());
    if (!path || path->empty()) return;
    ui.folder = platform::textFromPath(platform::pathFromText(*path).parent_path());
    layout::Item item;
    item.file = *path;
    item.conversion.mode = image::Conversion::FloydSteinberg;  // photos keep their greys as dots
    add(console, std::move(item));
}

void onAddText(Console& console, const EventArgs&) {
    layout::Item item;
    item.kind = layout::ItemKind::Text;
    item.text.text = typedContent(console);
    add(console, std::move(item));
}

void onAddCode(Console& console, const EventArgs&) {
    layout::Item item;
    item.kind = layout::ItemKind::QrCode;
    item.qr.text = typedContent(console);
    add(console, std::move(item));
}

void onCloseLayoutWindow(Console& console, const EventArgs&) {
    if (Window* w = layoutWindow(console)) console.closeWindow(*w);
}

}  // namespace
}  // namespace tessary::intake

namespace tessary {

void registerLayoutWindowHandlers(HandlerRegistry& registry) {
    registry.add("openLayoutWindow", intake::onOpenLayoutWindow);
    registry.add("showLayoutWindow", intake::onShowLayoutWindow);
    registry.add("layoutItemChosen", intake::onItemChosen);
    registry.add("layoutNumbersChanged", intake::onNumbersChanged);
    registry.add("layoutRemove", intake::onRemove);
    registry.add("layoutAddPicture", intake::onAddPicture);
    registry.add("layoutAddText", intake::onAddText);
    registry.add("layoutAddCode", intake::onAddCode);
    registry.add("closeLayoutWindow", intake::onCloseLayoutWindow);
}

}  // namespace tessary
