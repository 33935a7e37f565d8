// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program-wide state of the picture pipeline, from start-up to exit.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "image/conversion.h"
#include "image/files.h"
#include "image/render/text_picture.h"

namespace tessary::intake {

// Text taken in as a picture.
struct TypedText {
    std::string text;  // UTF-8, lines separated by line feeds
    render::TextStyle style;
    bool operator==(const TypedText&) const = default;
};

// How the engraving came about since the picture was last drawn anew from the picture as taken in: drawn at
// these quarter turns and zoom steps (with Zoom Out's zoom size as it then was), then changed by the view
// clicks that worked on the preview, each on the result of the one before (as they do with the default
// options): only these clicks, replayed in order from that drawing, give the same engraving.
struct ViewTrail {
    int quarterTurns = 0;
    int zoomSteps = 0;
    int zoomSize = 512;
    std::string clicks;  // 'R' Rotate, 'I' Zoom In, 'O' Zoom Out, in order
    bool operator==(const ViewTrail&) const = default;
};
inline constexpr char kRotateClick = 'R';
inline constexpr char kZoomInClick = 'I';
inline constexpr char kZoomOutClick = 'O';

struct ImageState {
    // 512 x 512, 1 bit per pixel, the preview flipped top to bottom (as the engraver takes it);
    // empty until the first picture is taken in.
    image::位图 engraving;
    std::string droppedFileName;         // what the last drop delivered, for Reload
    std::optional<TypedText> typedText;  // set when the last intake was typed text: Reload renders it again
    // The picture's own bytes when it was taken in from memory (a job's) rather than a file: Reload takes
    // them in again.
    std::shared_ptr<const std::vector<std::uint8_t>> pictureBytes;
    std::string previewPath;
    platform::FileIdentity previewWritten;  // the preview file as last written; only that file is deleted
    int zoomSize = 0;                       // 512 after each intake; only Zoom out changes it
    image::ConversionOptions options;
    // The last snapshot's pixels before the black-and-white conversion, and where the picture lies in it.
    image::Raster kept;
    image::PictureRect pictureRect;
    image::MarginBlend marginBlend;  // how the snapshot blended the picture's outer lines with the margin
    // The picture as taken in, upright, at the size the field gives it by default, and its own size (0
    // before the first picture): every engraving is drawn from it anew, at the chosen size, turned by the
    // Rotate clicks and zoomed by the steps since.
    image::Raster picture;
    int pictureWidth = 0;
    int pictureHeight = 0;
    int quarterTurns = 0;  // clockwise, 0..3
    int zoomSteps = 0;     // Zoom In +1, Zoom Out -1
    ViewTrail trail;
};

}  // namespace tessary::intake
