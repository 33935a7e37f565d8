// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/handlers/text_window.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "image/canvas.h"
#include "image/picture.h"
#include "intake/drawn_pictures.h"
#include "intake/fitting.h"
#include "intake/handlers/intake_handlers.h"
#include "intake/handlers/main_window_surroundings.h"
#include "intake/intake.h"

namespace tessary::intake {
namespace {

namespace c = prop::combobox;
namespace tw = text_window;

constexpr std::string_view kTitle = "Text";
constexpr std::uint32_t kWhite = 0x00FFFFFF;

struct TextWindowState {
    bool filling = false;  // the handler itself is setting the controls
};

std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<int> validSize(std::string_view text) {
    const auto size = wholeNumber(text);
    if (!size || *size < 1 || *size > render::kMaxTextSize) return std::nullopt;
    return size;
}

// What the window holds; the size is the default when the box holds no valid size.
struct Typed {
    TypedText text;
    bool sizeValid = true;
};

Typed readWindow(Window& w) {
    Typed t;
    t.text.text = w.getText(tw::kText, prop::editbox::kContent);
    render::TextStyle& style = t.text.style;
    style.family = w.getText(tw::kFont, c::kText);
    const auto size = validSize(w.getText(tw::kSize, prop::editbox::kContent));
    t.sizeValid = size.has_value();
    style.size = size.value_or(render::kDefaultTextSize);
    style.fillWidth = w.getInt(tw::kFillWidth, prop::button::kChecked) != 0;
    const std::int32_t look = w.getInt(tw::kStyle, c::kSelection);
    style.bold = look == 1 || look == 3;
    style.italic = look == 2 || look == 3;
    const std::int32_t alignment = w.getInt(tw::kAlignment, c::kSelection);
    style.alignment = alignment == 0   ? render::TextAlignment::Left
                      : alignment == 2 ? render::TextAlignment::Right
                                       : render::TextAlignment::Centre;
    return t;
}

bool sizeMatters(const Typed& t) { return !t.text.style.fillWidth; }

std::string statusText(const Typed& t) {
    if (std::string missing = drawingMissing(); !missing.empty()) return missing;
    if (drawing().textTooLong(t.text.text)) return drawing().textRefusal(t.text.text, t.text.style);
    if (!drawing().hasText(t.text.text)) return "Type the text to engrave.";
    if (sizeMatters(t) && !t.sizeValid) return std::string(kBadSize);
    const std::u32string missing = drawing().undrawableCharacters(t.text.text, t.text.style, 1);
    if (!missing.empty()) return "No installed font draws " + render::codePointName(missing.front()) + ".";
    const render::TextFit fit = drawing().measureText(t.text.text, t.text.style);
    if (!fit.fits && !sizeMatters(t))
        return "Too long to fill the width: its letters would be less than a dot high.";
    if (!fit.fits) {
        const std::string size = "Too large at size " + std::to_string(t.text.style.size) + ": ";
        return size +
               (fit.largestSize > 0 ? "size " + std::to_string(fit.largestSize) + " or less fits"
                                    : "shorten its lines") +
               ", or Fill the width.";
    }
    return "Engraved " + std::to_string(fit.width) + " \xC3\x97 " + std::to_string(fit.height) +
           " dots; the field is " + std::to_string(render::kFieldDots) + " \xC3\x97 " +
           std::to_string(render::kFieldDots) + ".";
}

// The field, and the text where the intake puts it.
Bytes previewPicture(const Typed& t) {
    image::Raster field(kField, kField);
    image::clear(field, 0, 0, kField, kField, kWhite);
    const image::Raster text = drawing().renderText(t.text.text, t.text.style);
    if (!text.empty()) {
        const Placement p = fitIntoField(text.width, text.height);
        image::drawPicture(field, text, p.left, p.top, p.width, p.height, image::Resample::Halftone);
    }
    return image::bmp24(field, false);
}

void showWhatItNeeds(Window& w) {
    const Typed t = readWindow(w);
    w.set(tw::kSize, prop::kDisabled, std::int32_t{sizeMatters(t) ? 0 : 1});
    w.set(tw::kStatus, prop::label::kCaption, statusText(t));
    w.set(tw::kPreview, prop::picbox::kPicture, previewPicture(t));
}

std::int32_t storedChoice(Settings& settings, std::string_view key, std::int32_t fallback,
                          std::int32_t last) {
    const auto value = settings.value(key);
    const auto number = value ? wholeNumber(*value) : std::nullopt;
    return number && *number >= 0 && *number <= last ? *number : fallback;
}

}  // namespace

void onOpenTextWindow(Console& console, const EventArgs&) { console.openModal(textWindowDefinition()); }

void onFillTextWindow(Console& console, const EventArgs&) {
    Window* w = console.setting();
    if (!w) return;
    Settings& settings = console.settings();
    auto& ui = console.state<TextWindowState>();
    ui.filling = true;
    const std::vector<std::string> families = drawing().installedFontFamilies();
    const std::string family = settings.value(kFontKey).value_or(drawing().defaultFontFamily());
    auto found = std::find(families.begin(), families.end(), family);
    if (found == families.end())
        found = std::find(families.begin(), families.end(), drawing().defaultFontFamily());
    w->set(tw::kFont, c::kItems, joinItems(families));
    w->set(tw::kFont, c::kSelection,
           static_cast<std::int32_t>(found == families.end() ? 0 : found - families.begin()));
    w->set(tw::kText, prop::editbox::kContent, settings.value(kTextKey).value_or(""));
    const auto size = validSize(settings.value(kSizeKey).value_or(""));
    w->set(tw::kSize, prop::editbox::kContent, std::to_string(size.value_or(render::kDefaultTextSize)));
    w->set(tw::kFillWidth, prop::button::kChecked,
           std::int32_t{settings.value(kFillWidthKey).value_or("false") == "true" ? 1 : 0});
    w->set(tw::kStyle, c::kSelection, storedChoice(settings, kStyleKey, 0, 3));
    w->set(tw::kAlignment, c::kSelection, storedChoice(settings, kAlignmentKey, 1, 2));
    ui.filling = false;
    showWhatItNeeds(*w);
}

void onTextWindowChanged(Console& console, const EventArgs&) {
    Window* w = console.setting();
    if (w && !console.state<TextWindowState>().filling) showWhatItNeeds(*w);
}

void onTakeInTypedText(Console& console, const EventArgs&) {
    Window* w = console.setting();
    if (!w) return;
    const Typed t = readWindow(*w);
    MainWindowSurroundings around(console);
    // Nothing can be taken in: said so, and the window stays open with what was typed.
    if (!drawing().hasText(t.text.text)) {
        around.noText();
        return;
    }
    if (sizeMatters(t) && !t.sizeValid) {
        console.dialogs().messageBox(kBadSize, 0, kTitle);
        return;
    }
    if (const std::string refusal = drawing().textRefusal(t.text.text, t.text.style); !refusal.empty()) {
        console.dialogs().messageBox(refusal, 0, kTitle);
        return;
    }
    w->close();
    loadPictureOptions(console);
    takeInText(console.state<ImageState>(), around, t.text);
}

void onCloseTextWindow(Console& console, const EventArgs&) {
    if (Window* w = console.setting()) w->close();
}

void onKeepTypedText(Console& console, const EventArgs&) {
    Window* w = console.setting();
    if (!w) return;
    const Typed t = readWindow(*w);
    const render::TextStyle& style = t.text.style;
    Settings& settings = console.settings();
    bool saved = settings.setValue(kTextKey, t.text.text);
    saved = settings.setValue(kFontKey, style.family) && saved;
    if (t.sizeValid) saved = settings.setValue(kSizeKey, std::to_string(style.size)) && saved;
    saved = settings.setValue(kFillWidthKey, style.fillWidth ? "true" : "false") && saved;
    saved =
        settings.setValue(kStyleKey, std::to_string((style.bold ? 1 : 0) + (style.italic ? 2 : 0))) && saved;
    saved = settings.setValue(kAlignmentKey, std::to_string(static_cast<int>(style.alignment))) && saved;
    rememberOrSay(console, saved);
}

}  // namespace tessary::intake

namespace tessary {

void registerTextWindowHandlers(HandlerRegistry& registry) {
    registry.add("openTextWindow", intake::onOpenTextWindow);
    registry.add("fillTextWindow", intake::onFillTextWindow);
    registry.add("textWindowChanged", intake::onTextWindowChanged);
    registry.add("takeInTypedText", intake::onTakeInTypedText);
    registry.add("closeTextWindow", intake::onCloseTextWindow);
    registry.add("keepTypedText", intake::onKeepTypedText);
}

}  // namespace tessary
