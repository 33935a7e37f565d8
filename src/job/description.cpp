// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/description.h"

#include <charconv>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "image/render/text_picture.h"
#include "intake/fitting.h"

namespace tessary::job {
namespace {

// Strings in the description are UTF-8 without control characters other than line breaks and tabs.
bool validText(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > s.size()) return false;
        if (length == 1 && (c < 0x20 || c == 0x7F) && c != '\n' && c != '\r' && c != '\t') return false;
        std::uint32_t code = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            code = (code << 6) | (d & 0x3F);
        }
        static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::string quoted(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            (out += '\\') += c;
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out + '"';
}

std::optional<std::string> unquoted(std::string_view v) {
    if (v.size() < 2 || v.front() != '"' || v.back() != '"') return std::nullopt;
    v = v.substr(1, v.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '"') return std::nullopt;
        if (v[i] != '\\') {
            out += v[i];
            continue;
        }
        if (++i == v.size()) return std::nullopt;
        switch (v[i]) {
            case '"':
            case '\\':
                out += v[i];
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

std::optional<int> wholeNumber(std::string_view v) {
    int value = 0;
    const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), value);
    if (v.empty() || error != std::errc() || end != v.data() + v.size()) return std::nullopt;
    return value;
}

// "1.25" -> 125, at most two places.
std::optional<int> hundredths(std::string_view v) {
    const auto dot = v.find('.');
    const auto whole = wholeNumber(v.substr(0, dot));
    if (!whole || v[0] == '-' || *whole > 999) return std::nullopt;
    int value = *whole * 100;
    if (dot != std::string_view::npos) {
        const std::string_view f = v.substr(dot + 1);
        if (f.empty() || f.size() > 2 || f.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        value += (f[0] - '0') * 10 + (f.size() > 1 ? f[1] - '0' : 0);
    }
    return value;
}

std::string decimal(int h) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02d", h / 100, h % 100);
    return text;
}

std::string_view alignmentKey(render::TextAlignment a) {
    return a == render::TextAlignment::Left ? "left" : a == render::TextAlignment::Right ? "right" : "centre";
}

const char* yesNo(bool b) { return b ? "yes" : "no"; }

// One key of a section: how it is written and how it is read (an error sentence, or empty).
template <typename Target>
struct Key {
    std::function<std::string(const Target&)> write;
    std::function<std::string(std::string_view, Target&)> read;
};

template <typename Target>
Key<Target> number(int Target::*field, image::Range range) {
    return {[field](const Target& t) { return std::to_string(t.*field); },
            [field, range](std::string_view v, Target& t) -> std::string {
                const auto n = wholeNumber(v);
                if (!n || !range.holds(*n))
                    return "takes a whole number from " + std::to_string(range.min) + " to " +
                           std::to_string(range.max);
                t.*field = *n;
                return {};
            }};
}

template <typename Target>
Key<Target> flag(bool Target::*field) {
    return {[field](const Target& t) { return std::string(yesNo(t.*field)); },
            [field](std::string_view v, Target& t) -> std::string {
                if (v != "yes" && v != "no") return "takes yes or no";
                t.*field = v == "yes";
                return {};
            }};
}

template <typename Target>
Key<Target> text(std::string Target::*field, std::size_t limit) {
    return {[field](const Target& t) { return quoted(t.*field); },
            [field, limit](std::string_view v, Target& t) -> std::string {
                auto s = unquoted(v);
                if (!s) return "takes a text in double quotes";
                if (s->size() > limit || !validText(*s))
                    return "holds a text too long or not of UTF-8 letters";
                t.*field = std::move(*s);
                return {};
            }};
}

using Options = image::ConversionOptions;
using Style = render::TextStyle;

// Keys of [job].
const std::vector<std::pair<std::string_view, Key<Job>>>& jobKeys() {
    static const std::vector<std::pair<std::string_view, Key<Job>>> keys = {
        {"written_by", text(&Job::writtenBy, 200)},
        {"burn_time", number(&Job::burnTime, kBurnTimeRange)},
        {"passes", number(&Job::passes, kPassesRange)},
        {"copies", number(&Job::copies, kCopiesRange)},
        {"material", text(&Job::material, kMaxMaterialBytes)},
    };
    return keys;
}

// Keys of an item's conversion.
const std::vector<std::pair<std::string_view, Key<Options>>>& optionKeys() {
    static const std::vector<std::pair<std::string_view, Key<Options>>> keys = {
        {"conversion",
         {[](const Options& o) { return std::string(image::conversionKey(o.mode)); },
          [](std::string_view v, Options& o) -> std::string {
              const auto mode = image::conversionFromKey(v);
              if (!mode) return "names no conversion";
              o.mode = *mode;
              return {};
          }}},
        {"threshold", number(&Options::threshold, image::kThresholdRange)},
        {"cell", number(&Options::cell, image::kCellRange)},
        {"angle", number(&Options::angle, image::kAngleRange)},
        {"brightness", number(&Options::brightness, image::kBrightnessRange)},
        {"contrast", number(&Options::contrast, image::kContrastRange)},
        {"gamma",
         {[](const Options& o) { return decimal(o.gamma); },
          [](std::string_view v, Options& o) -> std::string {
              const auto g = hundredths(v);
              if (!g || !image::kGammaRange.holds(*g)) return "takes a number from 0.20 to 5.00";
              o.gamma = *g;
              return {};
          }}},
        {"sharpen", number(&Options::sharpen, image::kSharpenRange)},
        {"invert", flag(&Options::invert)},
        {"auto_level", flag(&Options::autoLevel)},
        {"size", number(&Options::size, image::kSizeRange)},
        {"fill", flag(&Options::fill)},
        {"mirror", flag(&Options::mirror)},
    };
    return keys;
}

const std::vector<std::pair<std::string_view, Key<intake::ViewTrail>>>& viewKeys() {
    using intake::ViewTrail;
    static const std::vector<std::pair<std::string_view, Key<ViewTrail>>> keys = {
        {"quarter_turns", number(&ViewTrail::quarterTurns, {0, 3})},
        {"zoom_steps", number(&ViewTrail::zoomSteps, {-intake::kZoomStepLimit, intake::kZoomStepLimit})},
        {"zoom_size", number(&ViewTrail::zoomSize, {0, 512})},
        {"clicks",
         {[](const ViewTrail& t) { return quoted(t.clicks); },
          [](std::string_view v, ViewTrail& t) -> std::string {
              auto s = unquoted(v);
              if (!s || s->size() > kMaxClicks || s->find_first_not_of("RIO") != std::string::npos)
                  return "takes up to " + std::to_string(kMaxClicks) + " of the letters R, I and O in quotes";
              t.clicks = std::move(*s);
              return {};
          }}},
    };
    return keys;
}

const std::vector<std::pair<std::string_view, Key<intake::TypedText>>>& textKeys() {
    using intake::TypedText;
    static const std::vector<std::pair<std::string_view, Key<TypedText>>> keys = {
        {"text", text(&TypedText::text, 4 * render::kMaxTextLength)},
        {"font",
         {[](const TypedText& t) { return quoted(t.style.family); },
          [](std::string_view v, TypedText& t) { return text(&Style::family, 200).read(v, t.style); }}},
        {"text_size",
         {[](const TypedText& t) { return std::to_string(t.style.size); },
          [](std::string_view v, TypedText& t) {
              return number(&Style::size, {1, render::kMaxTextSize}).read(v, t.style);
          }}},
        {"fill_width",
         {[](const TypedText& t) { return std::string(yesNo(t.style.fillWidth)); },
          [](std::string_view v, TypedText& t) { return flag(&Style::fillWidth).read(v, t.style); }}},
        {"bold",
         {[](const TypedText& t) { return std::string(yesNo(t.style.bold)); },
          [](std::string_view v, TypedText& t) { return flag(&Style::bold).read(v, t.style); }}},
        {"italic",
         {[](const TypedText& t) { return std::string(yesNo(t.style.italic)); },
          [](std::string_view v, TypedText& t) { return flag(&Style::italic).read(v, t.style); }}},
        {"align",
         {[](const TypedText& t) { return std::string(alignmentKey(t.style.alignment)); },
          [](std::string_view v, TypedText& t) -> std::string {
              if (v == "left")
                  t.style.alignment = render::TextAlignment::Left;
              else if (v == "centre")
                  t.style.alignment = render::TextAlignment::Centre;
              else if (v == "right")
                  t.style.alignment = render::TextAlignment::Right;
              else
                  return "takes left, centre or right";
              return {};
          }}},
    };
    return keys;
}

template <typename Target>
void writeKeys(std::string& out, const std::vector<std::pair<std::string_view, Key<Target>>>& keys,
               const Target& t) {
    for (const auto& [name, key] : keys) ((out += name) += " = ") += key.write(t) + "\n";
}

template <typename Target>
std::optional<std::string> readKey(const std::vector<std::pair<std::string_view, Key<Target>>>& keys,
                                   std::string_view name, std::string_view value, Target& t) {
    for (const auto& [known, key] : keys)
        if (known == name) return key.read(value, t);
    return std::nullopt;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// An item as it is read, before its kind is known.
struct ItemReading {
    std::string kind;
    std::string file;
    std::string name;
    intake::TypedText text;
    Options options;
    intake::ViewTrail view;
    std::set<std::string, std::less<>> keys;
};

}  // namespace

std::string describeJob(const Job& job, const std::vector<std::string>& pictureFiles) {
    std::string out =
        "; A job of Tessary, the console for small laser engravers: see its README, \"Keeping a job\".\n";
    out += "[job]\nformat = " + std::to_string(kFormatVersion) + "\n";
    writeKeys(out, jobKeys(), job);
    for (std::size_t i = 0; i < job.items.size(); ++i) {
        const JobItem& item = job.items[i];
        out += "\n[item " + std::to_string(i + 1) + "]\n";
        if (const auto* picture = std::get_if<PictureSource>(&item.source)) {
            out += "kind = picture\nfile = " + quoted(i < pictureFiles.size() ? pictureFiles[i] : "") + "\n";
            out += "name = " + quoted(picture->name) + "\n";
        } else {
            out += "kind = text\n";
            writeKeys(out, textKeys(), std::get<intake::TypedText>(item.source));
        }
        writeKeys(out, optionKeys(), item.options);
        writeKeys(out, viewKeys(), item.view);
    }
    return out;
}

std::string parseDescription(std::string_view text, Job& job, std::vector<std::string>& pictureFiles) {
    job = Job{};
    pictureFiles.clear();
    if (text.size() > kMaxDescriptionBytes) return "its description is too large";
    if (!validText(text)) return "its description is not UTF-8 text";
    std::optional<int> format;
    std::set<std::string, std::less<>> jobKeysSeen;
    std::vector<ItemReading> items;
    enum class Section { None, Job, Item } section = Section::None;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto newline = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, newline));
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        const std::string at = "its description, line " + std::to_string(lineNumber) + ": ";
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            if (line == "[job]" && section == Section::None) {
                section = Section::Job;
            } else if (line == "[item " + std::to_string(items.size() + 1) + "]" &&
                       section != Section::None) {
                if (items.size() >= kMaxItems)
                    return at + "more items than this Tessary can engrave together (a later format?)";
                items.emplace_back();
                section = Section::Item;
            } else {
                return at + "a section out of place or unknown: " + std::string(line.substr(0, 40));
            }
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos || section == Section::None)
            return at + "not a \"key = value\" line";
        const std::string_view key = trimmed(line.substr(0, eq));
        const std::string_view value = trimmed(line.substr(eq + 1));
        const std::string name(key.substr(0, 40));
        std::optional<std::string> problem;
        if (section == Section::Job) {
            if (!jobKeysSeen.insert(std::string(key)).second) return at + name + " is given twice";
            if (key == "format") {
                format = wholeNumber(value);
                if (!format || *format < 1) return at + "format takes a whole number from 1";
                if (*format > kFormatVersion)
                    return "it was written by a later Tessary (job format " + std::to_string(*format) +
                           "; this one reads format " + std::to_string(kFormatVersion) + ")";
                problem = std::string();
            } else {
                problem = readKey(jobKeys(), key, value, job);
            }
        } else {
            ItemReading& item = items.back();
            if (!item.keys.insert(std::string(key)).second) return at + name + " is given twice";
            if (key == "kind") {
                if (value != "picture" && value != "text") return at + "kind takes picture or text";
                item.kind = value;
                problem = std::string();
            } else if (key == "file" || key == "name") {
                auto s = unquoted(value);
                if (!s || s->size() > 255 || !validText(*s))
                    return at + name + " takes a file name in double quotes";
                (key == "file" ? item.file : item.name) = std::move(*s);
                problem = std::string();
            } else {
                problem = readKey(optionKeys(), key, value, item.options);
                if (!problem) problem = readKey(viewKeys(), key, value, item.view);
                if (!problem) problem = readKey(textKeys(), key, value, item.text);
            }
        }
        if (!problem) return at + "unknown key " + name + " (written by a later Tessary?)";
        if (!problem->empty()) return at + name + " " + *problem;
    }
    if (!format) return "its description gives no format";
    if (items.empty()) return "its description holds nothing to engrave";
    for (ItemReading& item : items) {
        const bool picture = item.kind == "picture";
        if (item.kind.empty()) return "its description gives an item without its kind";
        if (picture && item.file.empty()) return "its description names no picture file for an item";
        if (picture) {
            for (const auto& [key, unused] : textKeys())
                if (item.keys.contains(key))
                    return "its description gives a picture item the text key " + std::string(key);
            job.items.push_back({PictureSource{std::move(item.name), nullptr}, item.options, item.view});
        } else {
            if (item.keys.contains("file") || item.keys.contains("name"))
                return "its description gives a text item a picture file";
            if (!item.keys.contains("text")) return "its description gives a text item without its text";
            job.items.push_back({std::move(item.text), item.options, item.view});
        }
        pictureFiles.push_back(picture ? item.file : std::string());
    }
    return {};
}

std::string jobProblem(const Job& job) {
    if (!kBurnTimeRange.holds(job.burnTime) || !kPassesRange.holds(job.passes) ||
        !kCopiesRange.holds(job.copies))
        return "its burn time, passes or copies are out of range";
    if (job.material.size() > kMaxMaterialBytes || !validText(job.material))
        return "its material name is unfit";
    if (job.items.empty()) return "it holds nothing to engrave";
    if (job.items.size() > kMaxItems) return "it holds more items than this Tessary engraves together";
    for (const JobItem& item : job.items) {
        if (!item.options.valid()) return "an item's conversion options are out of range";
        const intake::ViewTrail& v = item.view;
        if (v.quarterTurns < 0 || v.quarterTurns > 3 || v.zoomSize < 0 || v.zoomSize > 512 ||
            v.zoomSteps < -intake::kZoomStepLimit || v.zoomSteps > intake::kZoomStepLimit ||
            v.clicks.size() > kMaxClicks || v.clicks.find_first_not_of("RIO") != std::string::npos)
            return "an item's turns and zoom are out of range";
        if (const auto* picture = std::get_if<PictureSource>(&item.source)) {
            if (!picture->bytes || picture->bytes->empty()) return "a picture item holds no picture";
            if (picture->bytes->size() > kMaxPictureBytes)
                return "a picture is too large to keep in a job (over 256 MiB)";
        } else {
            const auto& typed = std::get<intake::TypedText>(item.source);
            if (typed.text.empty() || typed.text.size() > 4 * render::kMaxTextLength ||
                !validText(typed.text))
                return "a text item's text is empty, too long or not UTF-8";
            if (typed.style.size < 1 || typed.style.size > render::kMaxTextSize)
                return "a text item's size is out of range";
        }
    }
    return {};
}

}  // namespace tessary::job
