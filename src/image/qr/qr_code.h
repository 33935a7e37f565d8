// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// QR codes to engrave: text or a web address drawn black on white, each module a square of whole dots of the
// 512-dot engraving, with its quiet zone, never resampled.
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "raster/raster.h"

namespace tessary::image {

enum class QrLevel { Low, Medium, Quartile, High };  // L, M, Q, H: 7, 15, 25 and 30 % of the code restorable

inline constexpr int kQrField = 490;                 // dots a code may take across, quiet zone included
inline constexpr int kQrDefaultModule = 3;           // dots a module: smaller ones do not engrave readably
inline constexpr int kQrDefaultQuietZone = 4;        // modules of white around the code
inline constexpr double kMillimetresPerDot = 0.075;  // the engraver's dot pitch, as the README assumes

struct QrOptions {
    std::string text;  // UTF-8
    QrLevel level = QrLevel::Medium;
    int module = kQrDefaultModule;        // dots a module, 1 or more
    int quietZone = kQrDefaultQuietZone;  // modules, 0 or more
    bool operator==(const QrOptions&) const = default;
};

struct QrSize {
    int version = 0;         // 1..40
    int modules = 0;         // the symbol's side, without the quiet zone
    int dots = 0;            // the whole code's side, quiet zone included
    double millimetres = 0;  // dots at kMillimetresPerDot
};

// The code's size, or why it cannot be engraved, as a sentence for the operator: no text, a module size or
// quiet zone out of range, or a text too long for the level and the module size to fit kQrField (with the
// number of its characters that would fit).
std::variant<QrSize, std::string> measureQr(const QrOptions& options);

// The code drawn black on white, QrSize::dots square, quiet zone included; empty when measureQr refuses it.
Raster renderQr(const QrOptions& options);

// "L", "M", "Q", "H" and back (either case).
std::string_view qrLevelName(QrLevel level);
std::optional<QrLevel> qrLevelFromName(std::string_view name);

// Dots of the engraving as millimetres on the material.
inline double dotsToMillimetres(int dots) { return dots * kMillimetresPerDot; }

}  // namespace tessary::image
