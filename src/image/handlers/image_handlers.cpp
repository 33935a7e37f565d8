#include "image/handlers/image_handlers.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "app/definitions/definitions.h"
#include "app/model/properties.h"
#include "app/model/property_rules.h"
#include "app/shell/control_states.h"
#include "image/files.h"
#include "image/handlers/intake.h"
#include "image/picture.h"
#include "image/render/text_picture.h"
#include "tessary_resources.h"

namespace tessary {
namespace intake {
namespace {

constexpr std::string_view kCanvas = "画板1";
constexpr std::string_view kPreview = "图片框1";
constexpr std::string_view kVerticalRuler = "画板2";
constexpr std::string_view kHorizontalRuler = "画板3";
// Enabled after every intake, in this order.
constexpr std::array<std::string_view, 5> kImageControls = {"按钮发送数据", "按钮放大", "按钮缩小",
                                                            "按钮旋转", "按钮重载"};

// What the chooser offers: every extension of the formats the intake reads (the content decides, so all
// files are offered too).
std::string pictureFilters() {
    static constexpr std::string_view kExtensions[] = {"jpg", "jpeg", "jpe", "jfif", "bmp", "tif", "tiff", "png",
                                                       "pcx", "pcd", "webp", "gif", "heic", "heif", "avif", "svg"};
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

class MainWindowSurroundings : public Surroundings {
  public:
    explicit MainWindowSurroundings(Console& console)
        : console_(console), canvas_(console.main().drawPanel(kCanvas)) {}

    image::Raster& canvas() override { return canvas_.pixels(); }
    std::uint32_t canvasBackground() override { return canvas_.background(); }
    image::Resample resampling() override { return image::modeForDisplayDepth(canvas_.displayDepth()); }
    void canvasChanged() override { canvas_.changed(); }
    std::string previewFile() override { return image::previewFilePath(console_.runDirectory()); }
    void log(std::string_view line) override { console_.appendLog(line); }
    void showPreview(const image::Bytes& bmp) override {
        console_.main().set(kPreview, prop::picbox::kPicture, bmp);
    }
    void wrongFileType() override { console_.dialogs().messageBox(kWrongFileType, 0, kWrongFileTypeTitle); }
    void noText() override { console_.dialogs().messageBox(kNoText, 0, "Text"); }
    void drawRulers() override {
        drawRuler(kVerticalRuler, resources::verticalRulerBmp(), 12, 512);
        drawRuler(kHorizontalRuler, resources::horizontalRulerBmp(), 512, 12);
    }
    void enableImageControls() override {
        shell::applyDisconnectedState(console_);
        for (std::string_view unit : kImageControls)
            console_.main().set(unit, prop::kDisabled, std::int32_t{0});
    }

  private:
    void drawRuler(std::string_view unit, std::span<const std::uint8_t> bmp, int width, int height) {
        DrawSurface& panel = console_.main().drawPanel(unit);
        if (const auto ruler = image::LoadPicture(bmp)) {
            image::drawPicture(panel.pixels(), *ruler, 0, 0, width, height,
                               image::modeForDisplayDepth(panel.displayDepth()));
        }
        panel.changed();
    }

    Console& console_;
    DrawSurface& canvas_;
};

template <void (*Operation)(ImageState&, Surroundings&)>
void viewOperation(Console& console, const EventArgs&) {
    MainWindowSurroundings around(console);
    Operation(console.state<ImageState>(), around);
}

}  // namespace

void onFilesDropped(Console& console, const EventArgs& args) {
    MainWindowSurroundings around(console);
    takeIn(console.state<ImageState>(), around, args.text);
}

void onOpenPicture(Console& console, const EventArgs&) {
    std::string& folder = console.state<OpenPictureState>().folder;
    const std::optional<std::string> path = console.dialogs().openFile(kOpenPictureTitle, folder, pictureFilters());
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
    const std::vector<std::string> families = render::installedFontFamilies();
    const TypedText last = console.state<TextWindowState>().last.value_or(TypedText{});
    const std::string family = last.style.family.empty() ? render::defaultFontFamily() : last.style.family;
    const auto found = std::find(families.begin(), families.end(), family);
    window->set(text_window::kFont, c::kItems, joinItems(families));
    window->set(text_window::kFont, c::kSelection,
                static_cast<std::int32_t>(found == families.end() ? 0 : found - families.begin()));
    window->set(text_window::kText, prop::editbox::kContent, last.text);
    window->set(text_window::kSize, prop::editbox::kContent,
                std::to_string(static_cast<int>(last.style.pointSize)));
    window->set(text_window::kStyle, c::kSelection, std::int32_t{(last.style.bold ? 1 : 0) + (last.style.italic ? 2 : 0)});
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
    if (!render::hasText(typed.text)) {
        around.noText();
        return;
    }
    window->close();
    takeInText(console.state<ImageState>(), around, typed);
}

void onRotate(Console& console, const EventArgs& args) { viewOperation<rotate>(console, args); }
void onZoomOut(Console& console, const EventArgs& args) { viewOperation<zoomOut>(console, args); }
void onZoomIn(Console& console, const EventArgs& args) { viewOperation<zoomIn>(console, args); }
void onReload(Console& console, const EventArgs& args) { viewOperation<reload>(console, args); }

void onMainWindowClosing(Console& console, const EventArgs&) {
    image::deleteFile(image::previewFilePath(console.runDirectory()));
}

}  // namespace intake

void registerImageHandlers(HandlerRegistry& registry) {
    registry.add("takeInPicture", intake::onFilesDropped);
    registry.add("rotate", intake::onRotate);
    registry.add("zoomOut", intake::onZoomOut);
    registry.add("zoomIn", intake::onZoomIn);
    registry.add("reload", intake::onReload);
    registry.add("deletePreviewFile", intake::onMainWindowClosing);
    registry.add("openPicture", intake::onOpenPicture);
    registry.add("openTextWindow", intake::onOpenTextWindow);
    registry.add("fillTextWindow", intake::onFillTextWindow);
    registry.add("takeInTypedText", intake::onTakeInTypedText);
}

}  // namespace tessary
