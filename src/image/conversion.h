// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The black-and-white conversion of the 512 x 512 canvas into the engraving image, with the operator's
// choice of conversion and the adjustments applied to the picture before it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "image/bitmap.h"
#include "raster/raster.h"

namespace tessary::image {

enum class Conversion { Threshold, FloydSteinberg, Atkinson, Jarvis, Stucki, Bayer, Halftone };
inline constexpr int kConversionCount = 7;

struct Range {
    int min, max;
    bool holds(int v) const { return v >= min && v <= max; }
};
inline constexpr Range kThresholdRange{0, 765};
inline constexpr Range kCellRange{2, 32};
inline constexpr Range kAngleRange{0, 90};
inline constexpr Range kBrightnessRange{-100, 100};
inline constexpr Range kContrastRange{-100, 100};
inline constexpr Range kGammaRange{20, 500};  // hundredths: 0.20 to 5.00
inline constexpr Range kSharpenRange{0, 100};
inline constexpr Range kSizeRange{0, 490};  // dots; 0: the picture's own size, at most the 490-dot field

struct ConversionOptions {
    Conversion mode = Conversion::Threshold;
    int threshold = 383;  // Threshold: white when R + G + B >= threshold
    int cell = 6;         // Halftone: screen cell in pixels
    int angle = 45;       // Halftone: screen angle in degrees
    int brightness = 0;
    int contrast = 0;
    int gamma = 100;  // hundredths
    int sharpen = 0;
    bool invert = false;
    bool autoLevel = false;  // with Threshold, the level is also chosen by Otsu's method
    // Where the picture goes before the conversion: the dots across its longer side (0: its own size,
    // larger pictures reduced to the field), or the whole field, small pictures enlarged.
    int size = 0;
    bool fill = false;
    // The whole engraving mirrored left to right, as the machine is to burn it (stamps, glass from behind).
    bool mirror = false;

    bool operator==(const ConversionOptions&) const = default;
    // Whether the output is the plain threshold at 383 of the picture at its own size: options the mode
    // does not use are not counted.
    bool isDefault() const;
    // Whether the conversion is the plain threshold at 383, wherever the picture lies and mirrored or not.
    bool plainThreshold() const;
    // Every value inside its range.
    bool valid() const;
};

// The picture's rectangle on the canvas; pixels outside it are margin and come out white.
struct PictureRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PictureRect&) const = default;
};

// Where enlarging the canvas blended the picture's outer lines with the margin: the share of each outer
// line that is picture (1: all of it), and the margin's colour (0x00BBGGRR).
struct MarginBlend {
    float left = 1, top = 1, right = 1, bottom = 1;
    std::uint32_t colour = 0x00FFFFFF;
    bool operator==(const MarginBlend&) const = default;
};

// The 1-bit image (colour table black, white; 1 = white = no burn) of the canvas, in the canvas's
// orientation. With the plain threshold it is the canvas's threshold of R + G + B >= 383 everywhere, margins
// included; otherwise the adjustments and the conversion act on the picture's rectangle only, on the grey
// by brightness (Rec. 601 luma). With invert, the canvas holds the picture already inverted (black for
// white, before it met the margin), and the adjustments act as on the picture before its inversion.
// Mirrored, the whole image is reversed left to right at the end.
// The error diffusion takes the margin's share out of the blended outer lines, so the paper passes no
// error into the picture, and starts from the error of the picture's own edges carried on beyond them.
Bitmap convertToBlackAndWhite(const Raster& canvas, const PictureRect& picture,
                              const ConversionOptions& options, const MarginBlend& blend = {});

// Names as the operator sees them ("Floyd–Steinberg") and as tessary-prepare takes them ("floyd-steinberg").
std::string_view conversionName(Conversion mode);
std::string_view conversionKey(Conversion mode);
std::optional<Conversion> conversionFromKey(std::string_view key);

// The mode and the adjustments that differ from the defaults: "Floyd–Steinberg, brightness +10, inverted".
std::string describeConversion(const ConversionOptions& options);

// The threshold level as grey 0..255, as the operator sees it: level N (R + G + B) is the grey that a pixel's
// mean, rounded, must reach; the default 383 is grey 128.
inline int thresholdGrey(int level) { return (level + 2) / 3; }
inline int thresholdLevel(int grey) { return grey > 0 ? 3 * grey - 1 : 0; }

}  // namespace tessary::image
