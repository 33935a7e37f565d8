// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/handlers/intake_handlers.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "app/shell/control_states.h"
#include "image/files.h"
#include "image/picture.h"
#include "intake/drawn_pictures.h"
#include "intake/handlers/main_window_surroundings.h"
#include "intake/intake.h"
#include "tessary_resources.h"

namespace tessary {
namespace intake {
namespace {

// What the chooser offers: every extension of the formats the intake reads (the content decides, so all
// files are offered too).
std::string pictureFilters() {
    static constexpr std::string_view kExtensions[] = {"jpg",  "jpeg", "jpe",  "jfif", "bmp",  "tif",
                                                       "tiff", "png",  "pcx",  "pcd",  "webp", "gif",
                                                       "heic", "heif", "avif", "svg"};
    std::string patterns;
    for (const bool upper : {false, true}) {
        for (std::string_view e : kExtensions) {
            std::string ext(e);
            if (upper)
                for (char& c : ext) c = static_cast<char>(c - 'a' + 'A');
            patterns += (patterns.empty() ? "*." : " *.") + ext;
        }
    }
    return "Pictures (" + patterns + ");;All files (*)";
}

// Where the file chooser opens: the folder of the last picture chosen in it.
struct OpenPictureState {
    std::string folder;
};

// The Text window's last settings, shown again when it opens.
struct TextWindowState {
    std::optional<TypedText> last;
};

template <void (*Operation)(ImageState&, Surroundings&)>
void viewOperation(Console& console, const EventArgs&) {
    loadPictureOptions(console);
    MainWindowSurroundings around(console);
    Operation(console.state<ImageState>(), around);
}

}  // namespace

void onFilesDropped(Console& console, const EventArgs& args) {
    loadPictureOptions(console);
    MainWindowSurroundings around(console);
    takeIn(console.state<ImageState>(), around, args.text);
}

void onOpenPicture(Console& console, const EventArgs&) {
    std::string& folder = console.state<OpenPictureState>().folder;
    const std::optional<std::string> path =
        console.dialogs().openFile(kOpenPictureTitle, folder, pictureFilters());
    if (!path || path->empty()) return;
    folder = std::filesystem::path(*path).parent_path().string();
    EventArgs drop;
    drop.text = *path;
    onFilesDropped(console, drop);
}

void onOpenTextWindow(Console& console, const EventArgs&) { console.openModal(textWindowDefinition()); }

void onFillTextWindow(Console& console, const EventArgs&) {
    Window* window = console.setting();
    if (!window) return;
    namespace c = prop::combobox;
    const std::vector<std::string> families = installedFontFamilies();
    const TypedText last = console.state<TextWindowState>().last.value_or(TypedText{});
    const std::string family = last.style.family.empty() ? defaultFontFamily() : last.style.family;
    const auto found = std::find(families.begin(), families.end(), family);
    window->set(text_window::kFont, c::kItems, joinItems(families));
    window->set(text_window::kFont, c::kSelection,
                static_cast<std::int32_t>(found == families.end() ? 0 : found - families.begin()));
    window->set(text_window::kText, prop::editbox::kContent, last.text);
    window->set(text_window::kSize, prop::editbox::kContent,
                std::to_string(static_cast<int>(last.style.pointSize)));
    window->set(text_window::kStyle, c::kSelection,
                std::int32_t{(last.style.bold ? 1 : 0) + (last.style.italic ? 2 : 0)});
    window->set(text_window::kAlignment, c::kSelection, static_cast<std::int32_t>(last.style.alignment));
}

void onTakeInTypedText(Console& console, const EventArgs&) {
    Window* window = console.setting();
    if (!window) return;
    namespace c = prop::combobox;
    TypedText typed;
    typed.text = window->getText(text_window::kText, prop::editbox::kContent);
    typed.style.family = window->getText(text_window::kFont, c::kText);
    const int size = std::atoi(window->getText(text_window::kSize, prop::editbox::kContent).c_str());
    typed.style.pointSize = size > 0 ? size : render::TextStyle{}.pointSize;
    const std::int32_t style = window->getInt(text_window::kStyle, c::kSelection);
    typed.style.bold = style == 1 || style == 3;
    typed.style.italic = style == 2 || style == 3;
    const std::int32_t alignment = window->getInt(text_window::kAlignment, c::kSelection);
    typed.style.alignment = alignment == 1   ? render::TextAlignment::Centre
                            : alignment == 2 ? render::TextAlignment::Right
                                             : render::TextAlignment::Left;
    console.state<TextWindowState>().last = typed;
    MainWindowSurroundings around(console);
    // Nothing to draw: said so, and the window stays open with what was typed.
    if (!intake::hasText(typed.text)) {
        around.noText();
        return;
    }
    window->close();
    takeInText(console.state<ImageState>(), around, typed);
}

void onCloseTextWindow(Console& console, const EventArgs&) {
    if (Window* window = console.setting()) window->close();
}

void onRotate(Console& console, const EventArgs& args) { viewOperation<rotate>(console, args); }
void onZoomOut(Console& console, const EventArgs& args) { viewOperation<zoomOut>(console, args); }
void onZoomIn(Console& console, const EventArgs& args) { viewOperation<zoomIn>(console, args); }
void onReload(Console& console, const EventArgs& args) { viewOperation<reload>(console, args); }

void onMainWindowClosing(Console& console, const EventArgs&) {
    image::deleteFileIfSame(image::previewFilePath(console.runDirectory()),
                            console.state<ImageState>().previewWritten);
}

}  // namespace intake

void registerIntakeHandlers(HandlerRegistry& registry) {
    registry.add("takeInPicture", intake::onFilesDropped);
    registry.add("rotate", intake::onRotate);
    registry.add("zoomOut", intake::onZoomOut);
    registry.add("zoomIn", intake::onZoomIn);
    registry.add("reload", intake::onReload);
    registry.add("deletePreviewFile", intake::onMainWindowClosing);
    registry.add("openPictureOptions", intake::onOpenPictureOptions);
    registry.add("showPictureOptions", intake::onPictureOptionsShown);
    registry.add("pictureOptionChanged", intake::onPictureOptionChanged);
    registry.add("pictureOptionsDefaults", intake::onPictureOptionsDefaults);
    registry.add("closePictureOptions", intake::onClosePictureOptions);
    registry.add("openPicture", intake::onOpenPicture);
    registry.add("openTextWindow", intake::onOpenTextWindow);
    registry.add("fillTextWindow", intake::onFillTextWindow);
    registry.add("takeInTypedText", intake::onTakeInTypedText);
    registry.add("closeTextWindow", intake::onCloseTextWindow);
}

}  // namespace tessary
