// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/intake.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>

#include "image/files.h"
#include "image/picture.h"
#include "intake/drawn_pictures.h"
#include "intake/fitted_picture.h"
#include "platform/paths.h"

namespace tessary::intake {
namespace {

void clearCanvas(Surroundings& around) {
    image::Raster& canvas = around.canvas();
    image::clear(canvas, 0, 0, kSnapshotSize, kSnapshotSize, around.canvasBackground());
    around.canvasChanged();
}

// A rectangle of the 510 x 510 surface as it lies in the 512 x 512 snapshot.
image::PictureRect onSnapshot(double left, double top, double width, double height) {
    constexpr double k = kSnapshotSize / 510.0;
    const auto at = [](double v) { return static_cast<int>(std::lround(v * k)); };
    const int l = at(left), t = at(top);
    return {l, t, at(left + width) - l, at(top + height) - t};
}

// How much of the rectangle's outer lines is picture once the snapshot has enlarged the surface, blending
// them with the margin; stretching that drops and repeats whole pixels blends nothing.
image::MarginBlend blendOnSnapshot(const Placement& p, const image::PictureRect& r, Surroundings& around) {
    image::MarginBlend blend;
    blend.colour = around.canvasBackground();
    if (around.resampling() != image::Resample::Halftone || r.width <= 0 || r.height <= 0) return blend;
    constexpr double k = kSnapshotSize / 510.0;
    const auto covered = [](int line, double from, double to) {
        return static_cast<float>(
            std::clamp(std::min(line + 1.0, to) - std::max<double>(line, from), 0.0, 1.0));
    };
    const double left = p.left * k, right = std::min(p.left + p.width, 510) * k;
    const double top = p.top * k, bottom = std::min(p.top + p.height, 510) * k;
    blend.left = covered(r.left, left, right);
    blend.right = covered(r.left + r.width - 1, left, right);
    blend.top = covered(r.top, top, bottom);
    blend.bottom = covered(r.top + r.height - 1, top, bottom);
    return blend;
}

// The kept picture's rectangle after its preview has been drawn at (offset, offset) with this size.
image::PictureRect redrawn(const image::PictureRect& r, int offset, int size) {
    const double f = size / static_cast<double>(kSnapshotSize);
    return onSnapshot(offset + r.left * f, offset + r.top * f, r.width * f, r.height * f);
}

// Turned 90 degrees clockwise: new pixel (u, v) = old pixel (v, height - 1 - u).
image::Raster turnedClockwise(const image::Raster& in) {
    image::Raster out(in.height, in.width);
    for (int v = 0; v < out.height; ++v)
        for (int u = 0; u < out.width; ++u) std::memcpy(out.at(u, v), in.at(v, in.height - 1 - u), 3);
    return out;
}

// The snapshot's pixels, which the black-and-white conversion reads.
void takeSnapshot(ImageState& state, Surroundings& around) {
    state.kept = image::stretch(around.canvas(), kSnapshotSize, kSnapshotSize, around.resampling());
}

bool hasPicture(const ImageState& state) { return state.pictureWidth > 0 && state.pictureHeight > 0; }

// The view buttons work on the preview, as they always did, only with the default options; with any other
// they draw the picture as taken in anew, so that nothing is resampled or converted twice.
bool drawsAnew(const ImageState& state) { return !state.options.isDefault() && hasPicture(state); }

// The picture's own size as it lies after the Rotate clicks.
image::PictureRect turnedOwnSize(const ImageState& state) {
    return state.quarterTurns % 2 ? image::PictureRect{0, 0, state.pictureHeight, state.pictureWidth}
                                  : image::PictureRect{0, 0, state.pictureWidth, state.pictureHeight};
}

// The size and fill the options choose; typed text keeps the size it was typed at.
int chosenSize(const ImageState& state) { return state.typedText ? 0 : state.options.size; }
bool chosenFill(const ImageState& state) { return !state.typedText && state.options.fill; }

DrawnSize sizeBeforeZoom(const ImageState& state) {
    const image::PictureRect own = turnedOwnSize(state);
    return sizedForField(own.width, own.height, chosenSize(state), chosenFill(state));
}

Placement placement(const ImageState& state) {
    const image::PictureRect own = turnedOwnSize(state);
    return placeInField(own.width, own.height, chosenSize(state), chosenFill(state), state.zoomSteps);
}

// The canvas holds the picture as taken in, at its size and place, and the snapshot is taken. Inverted,
// it is inverted before it meets the canvas's margin.
void drawKeptPicture(ImageState& state, Surroundings& around) {
    clearCanvas(around);
    // A copy only when it is turned or inverted.
    std::optional<image::Raster> changed;
    for (int turn = 0; turn < state.quarterTurns; ++turn)
        changed = turnedClockwise(changed ? *changed : state.picture);
    if (state.options.invert) {
        if (!changed) changed = state.picture;
        for (std::uint8_t& b : changed->rgb) b = static_cast<std::uint8_t>(255 - b);
    }
    const image::Raster& picture = changed ? *changed : state.picture;
    const Placement p = placement(state);
    image::drawPicture(around.canvas(), picture, p.left, p.top, p.width, p.height, around.resampling());
    around.canvasChanged();
    state.pictureRect = onSnapshot(p.left, p.top, p.width, p.height);
    state.marginBlend = blendOnSnapshot(p, state.pictureRect, around);
    takeSnapshot(state, around);
}

// The black-and-white image of the kept snapshot becomes the engraving bitmap.
void blackAndWhite(ImageState& state) {
    state.engraving = state.kept.empty() ? image::Bitmap()
                                         : image::convertToBlackAndWhite(state.kept, state.pictureRect,
                                                                         state.options, state.marginBlend);
}

void logConversion(const ImageState& state, Surroundings& around) {
    if (const std::string line = conversionLine(state); !line.empty()) around.log(line);
}

bool writePreview(ImageState& state, Surroundings& around) {
    const image::Bytes bmp = state.engraving.ToByteSet();
    return image::writeFile(around.previewFile(), {std::span<const std::uint8_t>(bmp)},
                            &state.previewWritten);
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
    // A second console in the same run directory writes (and at its close deletes) the same preview file:
    // once this console has written it, it zooms its own picture, whatever the file now holds.
    if (!state.previewWritten.empty() && !platform::isSameFile(state.previewPath, state.previewWritten))
        return image::LoadPicture(state.engraving.Mirror(false, true).ToByteSet());
    return image::LoadPicture(state.previewPath);
}

}  // namespace

std::string resolutionLine(int width, int height) {
    return "Image resolution:" + std::to_string(width) + "*" + std::to_string(height) + "\r\n\r\n";
}

std::string conversionLine(const ImageState& state) {
    image::ConversionOptions options = state.options;
    if (state.typedText) {
        options.size = 0;
        options.fill = false;
    }
    if (options.isDefault()) return {};
    return std::string(kLogConversion) + image::describeConversion(options) + "\r\n\r\n";
}

namespace {

// The intake after the picture's source is known: `produce` fits it (false: refused); `refuse` tells the
// surroundings why it was not taken in.
template <typename Produce, typename Refuse>
IntakeResult takeInFitted(ImageState& state, Surroundings& around, Produce produce, Refuse refuse) {
    clearCanvas(around);

    FittedPicture picture;
    const std::string previewFile = around.previewFile();
    IntakeResult result = IntakeResult::Refused;
    if (produce(picture))
        // Checked only after a successful decoding, so that a refused picture never touches the preview file.
        result = platform::canReplace(previewFile) ? IntakeResult::Prepared : IntakeResult::PreviewUnwritable;
    const int w = picture.info.width;
    const int h = picture.info.height;
    if (result == IntakeResult::Prepared) {
        // Put back when the preview file cannot be written after all (a full disk): the picture is then
        // refused like one whose preview file cannot be opened, rather than shown as prepared without it.
        ImageState before = state;
        state.previewPath = previewFile;
        state.picture = std::move(picture.pixels);
        state.pictureWidth = w;
        state.pictureHeight = h;
        state.quarterTurns = 0;
        state.zoomSteps = 0;
        picture = FittedPicture{};
        drawKeptPicture(state, around);
        blackAndWhite(state);
        if (!writePreview(state, around)) {
            state = std::move(before);
            clearCanvas(around);
            result = IntakeResult::PreviewUnwritten;
        }
    }
    if (result != IntakeResult::Prepared) {
        refuse(result);
    } else {
        around.log(kLogOriginal);
        around.log(resolutionLine(w, h));
        if (tooLarge(w, h)) around.log(kLogTooLarge);
        around.log(kLogConverted);
        logConversion(state, around);
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

std::string refusalReason(const std::string& dropped, int decodeResult, IntakeResult result) {
    namespace fs = std::filesystem;
    if (dropped.find_first_of("\r\n") != std::string::npos)
        return "several files were dropped at once; drop one picture at a time";
    if (result == IntakeResult::PreviewUnwritable || result == IntakeResult::PreviewUnwritten)
        return "the picture was read, but the preview file could not be written";
    const fs::path path = platform::pathFromText(dropped);
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (dropped.empty()) return "no picture was dropped or opened yet";
    if (path.empty() || !fs::exists(status)) return "it was not found (moved, renamed or deleted?)";
    if (fs::is_directory(status)) return "it is a folder, not a picture";
    // Never opened otherwise: a pipe or a device would hold the window until something wrote to it.
    if (!fs::is_regular_file(status)) return "it is not a file but a device or a pipe";
    if (!std::ifstream(path, std::ios::binary).is_open()) return "Tessary has no permission to read it";
    if (fs::file_size(path, error) == 0) return "the file is empty";
    if (decodeResult == image::kConvertDecodeFailed) return "the picture is damaged or cut short";
    return "it is not a kind of picture Tessary takes in";
}

IntakeResult takeIn(ImageState& state, Surroundings& around, std::string fileName) {
    state.droppedFileName = fileName;
    state.typedText.reset();
    int decoded = image::kConvertRefused;
    return takeInFitted(
        state, around,
        [&](FittedPicture& picture) {
            decoded = decodeFitted(fileName, around.resampling(), picture);
            return decoded == image::kConvertOk;
        },
        [&](IntakeResult result) {
            const bool several = fileName.find_first_of("\r\n") != std::string::npos;
            around.refused(several ? std::string() : fileName, refusalReason(fileName, decoded, result));
        });
}

IntakeResult takeInText(ImageState& state, Surroundings& around, const TypedText& text) {
    // Text of zero-width characters only is no text either: it draws nothing.
    const image::Raster rendered =
        drawing().hasText(text.text) ? drawing().renderText(text.text, text.style) : image::Raster();
    if (rendered.empty()) {
        around.noText();
        return IntakeResult::NoText;
    }
    state.typedText = text;
    return takeInFitted(
        state, around,
        [&](FittedPicture& picture) {
            fitRaster(rendered, around.resampling(), picture);
            return true;
        },
        [&](IntakeResult) { around.wrongFileType(); });
}

void rotate(ImageState& state, Surroundings& around) {
    state.quarterTurns = (state.quarterTurns + 1) % 4;
    if (drawsAnew(state)) {
        drawKeptPicture(state, around);
        commonTail(state, around);
        return;
    }
    clearCanvas(around);
    state.engraving = state.engraving.Mirror(true, false);
    state.engraving = state.engraving.Rotate90(false);
    writePreview(state, around);
    showAndFlip(state, around);
    around.drawRulers();
}

void zoomOut(ImageState& state, Surroundings& around) {
    state.zoomSteps = zoomOutStep(sizeBeforeZoom(state), state.zoomSteps);
    if (drawsAnew(state)) {
        drawKeptPicture(state, around);
        commonTail(state, around);
        return;
    }
    clearCanvas(around);
    state.zoomSize = static_cast<int>(state.zoomSize * 0.95);
    const auto picture = loadPreview(state, around);
    const int offset = static_cast<int>((500 - state.zoomSize) / 2.0);
    if (picture) {
        image::drawPicture(around.canvas(), *picture, offset, offset, state.zoomSize, state.zoomSize,
                           around.resampling());
        around.canvasChanged();
    }
    state.pictureRect = redrawn(state.pictureRect, offset, picture ? state.zoomSize : 0);
    state.marginBlend = {};
    takeSnapshot(state, around);
    commonTail(state, around);
}

void zoomIn(ImageState& state, Surroundings& around) {
    state.zoomSteps = zoomInStep(sizeBeforeZoom(state), state.zoomSteps);
    if (drawsAnew(state)) {
        drawKeptPicture(state, around);
        commonTail(state, around);
        return;
    }
    clearCanvas(around);
    const auto picture = loadPreview(state, around);
    if (picture) {
        image::drawPicture(around.canvas(), *picture, -20, -20, 550, 550, around.resampling());
        around.canvasChanged();
    }
    state.pictureRect = redrawn(state.pictureRect, -20, picture ? 550 : 0);
    state.marginBlend = {};
    takeSnapshot(state, around);
    commonTail(state, around);
}

bool reconvert(ImageState& state, Surroundings& around) {
    if (!hasPicture(state)) return false;
    drawKeptPicture(state, around);
    blackAndWhite(state);
    const bool written = writePreview(state, around);
    showAndFlip(state, around);
    return written;
}

void reload(ImageState& state, Surroundings& around) {
    if (state.typedText)
        takeInText(state, around, *state.typedText);
    else
        takeIn(state, around, state.droppedFileName);
    around.drawRulers();
}

}  // namespace tessary::intake
