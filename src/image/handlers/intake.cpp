#include "image/handlers/intake.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <optional>
#include <span>

#include "image/files.h"
#include "image/handlers/fitted_picture.h"
#include "image/render/text_picture.h"
#include "image/picture.h"
#include "image/unique_fd.h"

namespace tessary::intake {
namespace {

void clearCanvas(Surroundings& around) {
    image::Raster& canvas = around.canvas();
    image::clear(canvas, 0, 0, kSnapshotSize, kSnapshotSize, around.canvasBackground());
    around.canvasChanged();
}

// A picture whose result cannot be written is refused, as the conversion refuses it; checked only after
// a successful decoding, so that a refused picture never touches an existing preview file.
bool canWrite(const std::string& path) {
    image::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644));
    struct stat st {};
    return fd && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode);
}

void takeSnapshot(ImageState& state, Surroundings& around) {
    state.lastSnapshot =
        image::takeSnapshot(around.canvas(), kSnapshotSize, kSnapshotSize, around.resampling());
}

// The black-and-white image of the last snapshot becomes the engraving bitmap.
void blackAndWhite(ImageState& state) {
    state.engraving.载入数据(state.lastSnapshot);
    state.engraving = state.engraving.ConvertDepth(1);
}

bool writePreview(const ImageState& state, Surroundings& around) {
    const image::Bytes bmp = state.engraving.ToByteSet();
    return image::writeFile(around.previewFile(), {std::span<const std::uint8_t>(bmp)});
}

// The preview flipped top to bottom, so that the first stored row of the BMP data is the preview's top
// row, as the engraver burns it. (Two clockwise quarter turns and a left-right mirror give the same
// pixels; the top-bottom mirror copies whole rows.)
void flipForEngraver(ImageState& state) { state.engraving = state.engraving.Mirror(false, true); }

void showAndFlip(ImageState& state, Surroundings& around) {
    clearCanvas(around);
    around.showPreview(state.engraving.ToByteSet());
    flipForEngraver(state);
}

// After a new snapshot: black and white, preview file, preview, the bitmap for the engraver, rulers.
void commonTail(ImageState& state, Surroundings& around) {
    blackAndWhite(state);
    writePreview(state, around);
    showAndFlip(state, around);
    around.drawRulers();
}

std::optional<image::Raster> loadPreview(ImageState& state, Surroundings& around) {
    state.previewPath = around.previewFile();
    return image::LoadPicture(state.previewPath);
}

}  // namespace

std::string resolutionLine(int width, int height) {
    return "Image resolution:" + std::to_string(width) + "*" + std::to_string(height) + "\r\n\r\n";
}

namespace {

// The intake after the picture's source is known: `produce` fits it (false: refused).
template <typename Produce>
IntakeResult takeInFitted(ImageState& state, Surroundings& around, Produce produce) {
    clearCanvas(around);

    FittedPicture picture;
    const std::string previewFile = around.previewFile();
    IntakeResult result = IntakeResult::Refused;
    if (produce(picture))
        result = canWrite(previewFile) ? IntakeResult::Prepared : IntakeResult::PreviewUnwritable;
    if (result != IntakeResult::Prepared) {
        around.wrongFileType();
    } else {
        state.previewPath = previewFile;
        const int w = picture.info.width;
        const int h = picture.info.height;
        image::drawPicture(around.canvas(), picture.pixels, picture.placement.left, picture.placement.top);
        around.canvasChanged();
        picture = FittedPicture{};
        takeSnapshot(state, around);
        blackAndWhite(state);
        result = writePreview(state, around) ? IntakeResult::Prepared : IntakeResult::PreviewUnwritten;
        around.log(kLogOriginal);
        around.log(resolutionLine(w, h));
        if (tooLarge(w, h)) around.log(kLogTooLarge);
        around.log(kLogConverted);
        clearCanvas(around);
        around.showPreview(state.engraving.ToByteSet());
        state.zoomSize = kSnapshotSize;
        flipForEngraver(state);
    }
    around.drawRulers();
    around.enableImageControls();
    return result;
}

}  // namespace

IntakeResult takeIn(ImageState& state, Surroundings& around, std::string fileName) {
    state.droppedFileName = fileName;
    state.typedText.reset();
    return takeInFitted(state, around, [&](FittedPicture& picture) {
        return decodeFitted(fileName, around.resampling(), picture) == image::kConvertOk;
    });
}

IntakeResult takeInText(ImageState& state, Surroundings& around, const TypedText& text) {
    if (!render::hasText(text.text)) {
        around.noText();
        return IntakeResult::NoText;
    }
    state.typedText = text;
    return takeInFitted(state, around, [&](FittedPicture& picture) {
        const image::Raster rendered = render::renderText(text.text, text.style);
        if (rendered.empty()) return false;
        fitRaster(rendered, around.resampling(), picture);
        return true;
    });
}

void rotate(ImageState& state, Surroundings& around) {
    clearCanvas(around);
    state.engraving = state.engraving.Mirror(true, false);
    state.engraving = state.engraving.Rotate90(false);
    writePreview(state, around);
    showAndFlip(state, around);
    around.drawRulers();
}

void zoomOut(ImageState& state, Surroundings& around) {
    clearCanvas(around);
    state.zoomSize = static_cast<int>(state.zoomSize * 0.95);
    const auto picture = loadPreview(state, around);
    const int offset = static_cast<int>((500 - state.zoomSize) / 2.0);
    if (picture) {
        image::drawPicture(around.canvas(), *picture, offset, offset, state.zoomSize, state.zoomSize,
                           around.resampling());
        around.canvasChanged();
    }
    takeSnapshot(state, around);
    commonTail(state, around);
}

void zoomIn(ImageState& state, Surroundings& around) {
    clearCanvas(around);
    const auto picture = loadPreview(state, around);
    if (picture) {
        image::drawPicture(around.canvas(), *picture, -20, -20, 550, 550, around.resampling());
        around.canvasChanged();
    }
    takeSnapshot(state, around);
    commonTail(state, around);
}

void reload(ImageState& state, Surroundings& around) {
    if (state.typedText)
        takeInText(state, around, *state.typedText);
    else
        takeIn(state, around, state.droppedFileName);
    around.drawRulers();
}

}  // namespace tessary::intake
