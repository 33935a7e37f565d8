// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture intake and the view operations, over whatever shows their results: the console's main
// window, or nothing but a canvas in memory (tessary-prepare). Both run these same procedures.
#include <cstdint>
#include <string>
#include <string_view>

#include "image/bitmap.h"
#include "image/canvas.h"
#include "intake/image_state.h"
#include "raster/raster.h"

namespace tessary::intake {

inline constexpr int kSnapshotSize = 512;
// The canvas background where no window gives one: the button face of the console's visual style.
inline constexpr std::uint32_t kButtonFace = 0x00F0F0F0;
inline constexpr std::string_view kWrongFileType = "Wrong file type";
inline constexpr std::string_view kWrongFileTypeTitle = "Sorry ";
inline constexpr std::string_view kNoText = "There is no text to engrave: type some first.";

inline constexpr std::string_view kLogOriginal = "Original image information:\r\n\r\n";
inline constexpr std::string_view kLogTooLarge =
    "Image is too large,It has been adjusted to the optimal resolution\r\n\r\n";
inline constexpr std::string_view kLogConverted = "Image has been converted to black and white\r\n\r\n";
// Followed by describeConversion and "\r\n\r\n", when the options are not the defaults.
inline constexpr std::string_view kLogConversion = "Conversion: ";
// "Image resolution:800*600\r\n\r\n"
std::string resolutionLine(int width, int height);
// Whether the too-large line is logged: its limit is the snapshot's size, not the field's.
inline bool tooLarge(int width, int height) { return width >= kSnapshotSize || height >= kSnapshotSize; }

// What the procedures change besides the image state.
class Surroundings {
  public:
    virtual ~Surroundings() = default;
    // The working canvas (the main window's draw panel), its background colour (0x00BBGGRR) and how it
    // stretches.
    virtual image::Raster& canvas() = 0;
    virtual std::uint32_t canvasBackground() = 0;
    virtual image::Resample resampling() = 0;
    virtual void canvasChanged() {}
    // Where "Engraving Preview.bmp" lives.
    virtual std::string previewFile() = 0;
    virtual void log(std::string_view line) = 0;
    // The preview picture box shows this BMP data (empty: no picture).
    virtual void showPreview(const image::Bytes& bmp) = 0;
    virtual void wrongFileType() = 0;
    // A file not taken in: which (its full path; empty when several were dropped) and why. By default the
    // same as wrongFileType().
    virtual void refused(std::string_view /*file*/, std::string_view /*reason*/) { wrongFileType(); }
    // Text to take in was empty or white space only.
    virtual void noText() {}
    virtual void drawRulers() {}
    // The disconnected control state, then the five image controls enabled.
    virtual void enableImageControls() {}
};

enum class IntakeResult {
    Prepared,          // the engraving bitmap, the preview file and the preview hold the new picture
    PreviewUnwritten,  // "Wrong file type" too: writing the preview file failed; the image state is as before
    Refused,           // "Wrong file type": nothing of the image state but the dropped file name changed
    PreviewUnwritable,  // "Wrong file type" too: the picture decoded, but the preview file cannot be opened
    NoText,             // typed text with nothing to draw: nothing at all changed
};

// Why a dropped text was not taken in, for the operator ("it was not found", "it is damaged or cut short");
// `decodeResult` is the decoder's code (image/decode/decode.h).
std::string refusalReason(const std::string& dropped, int decodeResult, IntakeResult result);

// The files-dropped handler's work, with the dropped text as it came.
IntakeResult takeIn(ImageState& state, Surroundings& around, std::string fileName);

// Typed text rendered and taken in exactly as a dropped picture of its rendered size.
IntakeResult takeInText(ImageState& state, Surroundings& around, const TypedText& text);

// The click handlers of the four view buttons.
void rotate(ImageState& state, Surroundings& around);
void zoomOut(ImageState& state, Surroundings& around);
void zoomIn(ImageState& state, Surroundings& around);
void reload(ImageState& state, Surroundings& around);

// The picture drawn and converted again with the state's options (after they changed), at the zoom and turn
// the view buttons left: engraving bitmap, preview file and preview. False when there is no picture or the
// file was not written.
bool reconvert(ImageState& state, Surroundings& around);

// "Conversion: " with the options that differ from the defaults, as the intake logs it; empty for the
// defaults.
std::string conversionLine(const ImageState& state);

}  // namespace tessary::intake
