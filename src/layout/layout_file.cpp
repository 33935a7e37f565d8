// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout/layout_file.h"

#include <charconv>
#include <optional>

namespace tessary::layout {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::optional<int> number(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<bool> yesNo(std::string_view v) {
    if (v == "yes" || v == "true" || v == "1") return true;
    if (v == "no" || v == "false" || v == "0") return false;
    return std::nullopt;
}

// "\n" starts a new line of a text, "\\" is a backslash.
std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\'))
            out += text[++i] == 'n' ? '\n' : '\\';
        else
            out += text[i];
    }
    return out;
}

bool absolute(const std::string& path) {
    return (!path.empty() && (path[0] == '/' || path[0] == '\\')) || (path.size() > 1 && path[1] == ':');
}

struct Numeric {
    std::string_view key;
    int image::ConversionOptions::*field;
    image::Range range;
};
constexpr Numeric kAdjustments[] = {
    {"cell", &image::ConversionOptions::cell, image::kCellRange},
    {"angle", &image::ConversionOptions::angle, image::kAngleRange},
    {"brightness", &image::ConversionOptions::brightness, image::kBrightnessRange},
    {"contrast", &image::ConversionOptions::contrast, image::kContrastRange},
    {"sharpen", &image::ConversionOptions::sharpen, image::kSharpenRange},
};

std::string range(int min, int max) {
    return "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
}

// One "key = value" of an item; empty when taken, else why not.
std::string takeItemKey(Item& item, std::string_view key, std::string_view value, const std::string& folder) {
    const auto whole = [&](int min, int max, int& into) -> std::string {
        const auto n = number(value);
        if (!n || *n < min || *n > max)
            return std::string(key) + " takes " + range(min, max) + ", not '" + std::string(value) + "'";
        into = *n;
        return {};
    };
    const auto flag = [&](bool& into) -> std::string {
        const auto b = yesNo(value);
        if (!b) return std::string(key) + " takes yes or no, not '" + std::string(value) + "'";
        into = *b;
        return {};
    };
    if (key == "x" || key == "y") {
        item.placed = true;
        return whole(-kMaxPosition, kMaxPosition, key == "x" ? item.x : item.y);
    }
    if (key == "width") return whole(1, kMaxItemSide, item.width);
    if (key == "height") return whole(1, kMaxItemSide, item.height);
    if (key == "turn") return whole(0, 3, item.quarterTurns);
    if (key == "conversion") {
        const auto mode = image::conversionFromKey(value);
        if (!mode)
            return "unknown conversion '" + std::string(value) +
                   "' (threshold, floyd-steinberg, atkinson, jarvis, stucki, bayer or halftone)";
        item.conversion.mode = *mode;
        return {};
    }
    if (key == "threshold") {
        int grey = 0;
        if (std::string e = whole(0, 255, grey); !e.empty()) return e;
        item.conversion.threshold = image::thresholdLevel(grey);
        return {};
    }
    if (key == "gamma") {
        // Hundredths, as "1.5" or "0.8".
        const auto dot = value.find('.');
        const auto units = number(value.substr(0, dot));
        std::string_view fraction =
            dot == std::string_view::npos ? std::string_view() : value.substr(dot + 1);
        const auto cents = fraction.empty() ? std::optional<int>(0) : number(fraction);
        const int g = units && cents && fraction.size() <= 2 && *units >= 0 && *cents >= 0
                          ? *units * 100 + *cents * (fraction.size() == 1 ? 10 : 1)
                          : -1;
        if (!image::kGammaRange.holds(g) || (dot != std::string_view::npos && fraction.empty()))
            return "gamma takes a number from 0.20 to 5.00, not '" + std::string(value) + "'";
        item.conversion.gamma = g;
        return {};
    }
    for (const Numeric& n : kAdjustments)
        if (key == n.key) return whole(n.range.min, n.range.max, item.conversion.*(n.field));
    if (key == "invert") return flag(item.conversion.invert);
    if (key == "auto-level") return flag(item.conversion.autoLevel);
    switch (item.kind) {
        case ItemKind::Picture:
            if (key == "file") {
                item.file = std::string(value);
                if (!folder.empty() && !item.file.empty() && !absolute(item.file))
                    item.file = folder + "/" + item.file;
                return {};
            }
            if (key == "crop") {
                // left,top,width,height in the picture's own pixels.
                int v[4];
                std::string_view rest = value;
                for (int i = 0; i < 4; ++i) {
                    const auto comma = rest.find(',');
                    const auto n = number(trimmed(rest.substr(0, comma)));
                    if (!n || *n < 0 || (i >= 2 && *n == 0) || (i < 3) == (comma == std::string_view::npos))
                        return "crop takes left,top,width,height in the picture's pixels (width and height "
                               "above 0), not '" +
                               std::string(value) + "'";
                    v[i] = *n;
                    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
                }
                item.crop = {v[0], v[1], v[2], v[3]};
                return {};
            }
            break;
        case ItemKind::Text:
            if (key == "text") {
                item.text.text = unescaped(value);
                return {};
            }
            if (key == "font") {
                item.text.style.family = std::string(value);
                return {};
            }
            if (key == "size") return whole(1, render::kMaxTextSize, item.text.style.size);
            if (key == "bold") return flag(item.text.style.bold);
            if (key == "italic") return flag(item.text.style.italic);
            if (key == "align") {
                if (value == "left")
                    item.text.style.alignment = render::TextAlignment::Left;
                else if (value == "centre" || value == "center")
                    item.text.style.alignment = render::TextAlignment::Centre;
                else if (value == "right")
                    item.text.style.alignment = render::TextAlignment::Right;
                else
                    return "align takes left, centre or right, not '" + std::string(value) + "'";
                return {};
            }
            break;
        case ItemKind::QrCode:
            if (key == "text") {
                item.qr.text = unescaped(value);
                return {};
            }
            if (key == "module") return whole(1, image::kQrField, item.qr.module);
            if (key == "quiet-zone") return whole(0, image::kQrField, item.qr.quietZone);
            if (key == "ecc") {
                const auto level = image::qrLevelFromName(value);
                if (!level) return "ecc takes L, M, Q or H, not '" + std::string(value) + "'";
                item.qr.level = *level;
                return {};
            }
            break;
    }
    return "unknown key '" + std::string(key) + "' in this section";
}

std::string itemProblem(const Item& item) {
    switch (item.kind) {
        case ItemKind::Picture:
            return item.file.empty() ? "a [picture] needs file = ..." : std::string();
        case ItemKind::Text:
            return item.text.text.empty() ? "a [text] needs text = ..." : std::string();
        case ItemKind::QrCode:
            return item.qr.text.empty() ? "a [qr] needs text = ..." : std::string();
    }
    return {};
}

}  // namespace

std::string parseLayout(std::string_view text, const std::string& folder, Layout& out) {
    out = Layout{};
    if (text.size() > kMaxDescriptionBytes) return "the layout is larger than 1 MiB";
    int lineNumber = 0, itemLine = 0;
    bool inItem = false;
    const auto finishItem = [&]() -> std::string {
        if (!inItem) return {};
        const std::string problem = itemProblem(out.items.back());
        return problem.empty() ? std::string() : "line " + std::to_string(itemLine) + ": " + problem;
    };
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (line.empty() || line[0] == '#') continue;
        if (line.front() == '[') {
            if (std::string e = finishItem(); !e.empty()) return e;
            Item item;
            if (line == "[picture]")
                item.kind = ItemKind::Picture;
            else if (line == "[text]")
                item.kind = ItemKind::Text;
            else if (line == "[qr]")
                item.kind = ItemKind::QrCode;
            else
                return where + "unknown section " + std::string(line) + " ([picture], [text] or [qr])";
            if (out.items.size() >= kMaxItems)
                return where + "more than " + std::to_string(kMaxItems) + " items";
            out.items.push_back(std::move(item));
            inItem = true;
            itemLine = lineNumber;
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos)
            return where + "expected key = value, not '" + std::string(line) + "'";
        const std::string_view key = trimmed(line.substr(0, eq)), value = trimmed(line.substr(eq + 1));
        if (!inItem) {
            if (key != "mirror")
                return where + "unknown key '" + std::string(key) + "' before the first item";
            const auto b = yesNo(value);
            if (!b) return where + "mirror takes yes or no, not '" + std::string(value) + "'";
            out.mirror = *b;
            continue;
        }
        if (std::string e = takeItemKey(out.items.back(), key, value, folder); !e.empty()) return where + e;
    }
    if (std::string e = finishItem(); !e.empty()) return e;
    if (out.items.empty()) return "the layout has no item ([picture], [text] or [qr])";
    return {};
}

}  // namespace tessary::layout
