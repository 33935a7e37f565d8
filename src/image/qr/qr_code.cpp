// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/qr/qr_code.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <qrcodegen.hpp>
#include <vector>

namespace tessary::image {
namespace {

using qrcodegen::QrCode;
using qrcodegen::QrSegment;

constexpr int kMaxQuietZone = 40;

std::string dots(int n) { return std::to_string(n) + (n == 1 ? " dot" : " dots"); }

QrCode::Ecc ecc(QrLevel level) {
    switch (level) {
        case QrLevel::Low:
            return QrCode::Ecc::LOW;
        case QrLevel::Medium:
            return QrCode::Ecc::MEDIUM;
        case QrLevel::Quartile:
            return QrCode::Ecc::QUARTILE;
        case QrLevel::High:
            return QrCode::Ecc::HIGH;
    }
    return QrCode::Ecc::MEDIUM;
}

// The largest version whose code, quiet zone included, fits the field with these modules (0: none does).
int largestVersion(int module, int quietZone) {
    const int modules = kQrField / std::max(module, 1) - 2 * quietZone;
    return std::clamp((modules - 17) / 4, 0, QrCode::MAX_VERSION);
}

// The text in the fewest bits the code's modes allow (digits, upper-case letters, bytes); a text with a NUL
// in it as bytes, which the segmenter would cut there.
std::vector<QrSegment> segments(std::string_view text) {
    if (text.find('\0') != std::string_view::npos)
        return {QrSegment::makeBytes(std::vector<std::uint8_t>(text.begin(), text.end()))};
    return QrSegment::makeSegments(std::string(text).c_str());
}

// The smallest code of at most that version, at exactly the level chosen; none when the text is too long.
std::optional<QrCode> encode(std::string_view text, QrLevel level, int maxVersion) {
    try {
        return QrCode::encodeSegments(segments(text), ecc(level), QrCode::MIN_VERSION, maxVersion, -1, false);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Where each UTF-8 character of the text ends.
std::vector<std::size_t> characterEnds(std::string_view text) {
    std::vector<std::size_t> ends;
    for (std::size_t i = 1; i <= text.size(); ++i)
        if (i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ends.push_back(i);
    return ends;
}

std::string levelWord(QrLevel level) { return std::string(qrLevelName(level)); }

}  // namespace

std::variant<QrSize, std::string> measureQr(const QrOptions& o) {
    if (o.text.empty()) return std::string("There is no text for the QR code: type some first.");
    if (o.module < 1) return "A QR code's modules are at least 1 dot, not " + std::to_string(o.module) + ".";
    if (o.quietZone < 0 || o.quietZone > kMaxQuietZone)
        return "A QR code's quiet zone is 0 to " + std::to_string(kMaxQuietZone) + " modules, not " +
               std::to_string(o.quietZone) + ".";
    const int maxVersion = largestVersion(o.module, o.quietZone);
    if (maxVersion < QrCode::MIN_VERSION) {
        const int largest = kQrField / (21 + 2 * o.quietZone);
        return "A QR code with modules of " + dots(o.module) + " and a quiet zone of " +
               std::to_string(o.quietZone) + " modules is wider than the " + std::to_string(kQrField) +
               "-dot field: modules of at most " + dots(largest) + " fit.";
    }
    const auto code = encode(o.text, o.level, maxVersion);
    if (!code) {
        // The longest start of the text that still fits, in whole characters.
        const std::vector<std::size_t> ends = characterEnds(o.text);
        std::size_t low = 0, high = ends.size();  // low characters fit, high do not
        while (high - low > 1) {
            const std::size_t mid = (low + high) / 2;
            if (encode(std::string_view(o.text).substr(0, ends[mid - 1]), o.level, maxVersion))
                low = mid;
            else
                high = mid;
        }
        return "The text is too long for a QR code of level " + levelWord(o.level) + " with modules of " +
               dots(o.module) + ": the " + std::to_string(kQrField) + "-dot field holds " +
               std::to_string(low) + " of its " + std::to_string(ends.size()) + " characters.";
    }
    QrSize size;
    size.version = code->getVersion();
    size.modules = code->getSize();
    size.dots = (size.modules + 2 * o.quietZone) * o.module;
    size.millimetres = dotsToMillimetres(size.dots);
    return size;
}

Raster renderQr(const QrOptions& o) {
    const auto measured = measureQr(o);
    const auto* size = std::get_if<QrSize>(&measured);
    if (!size) return {};
    const auto code = encode(o.text, o.level, size->version);
    if (!code) return {};
    Raster out(size->dots, size->dots);
    out.fill(255, 255, 255);
    const int margin = o.quietZone * o.module;
    for (int my = 0; my < size->modules; ++my)
        for (int mx = 0; mx < size->modules; ++mx) {
            if (!code->getModule(mx, my)) continue;
            for (int y = 0; y < o.module; ++y)
                std::memset(out.at(margin + mx * o.module, margin + my * o.module + y), 0,
                            static_cast<std::size_t>(o.module) * 3);
        }
    return out;
}

std::string_view qrLevelName(QrLevel level) {
    constexpr std::string_view kNames[] = {"L", "M", "Q", "H"};
    return kNames[static_cast<int>(level)];
}

std::optional<QrLevel> qrLevelFromName(std::string_view name) {
    if (name.size() != 1) return std::nullopt;
    switch (name[0]) {
        case 'L':
        case 'l':
            return QrLevel::Low;
        case 'M':
        case 'm':
            return QrLevel::Medium;
        case 'Q':
        case 'q':
            return QrLevel::Quartile;
        case 'H':
        case 'h':
            return QrLevel::High;
    }
    return std::nullopt;
}

}  // namespace tessary::image
