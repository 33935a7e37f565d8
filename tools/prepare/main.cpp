// SPDX-License-Identifier: GPL-3.0-or-later
// tessary-prepare [options] IN OUT.bmp: the console's picture intake on one file (or typed text), without a
// window. Writes the engraving preview (512 x 512, 1 bit per pixel, 32,830 bytes) to OUT.bmp and prints the
// log lines the console would write.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/conversion.h"
#include "intake/drawn_pictures.h"
#include "intake/headless.h"
#include "job_options.h"
#include "layout_option.h"
#include "platform/program.h"
#include "qr_option.h"
#include "test_card_option.h"
#include "threshold_option.h"

namespace {

namespace image = tessary::image;

constexpr const char* kUsage =
    "Usage: tessary-prepare [OPTION]... [--] IN OUT.bmp\n"
    "       tessary-prepare [OPTION]... --text TEXT [--font FAMILY] [--bold] [--italic]\n"
    "                       [--align left|centre|right] OUT.bmp\n"
    "       tessary-prepare [--module N] [--ecc L|M|Q|H] [--quiet-zone N] [--mirror] --qr TEXT OUT.bmp\n"
    "       tessary-prepare [--mirror] --layout FILE OUT.bmp\n"
    "       tessary-prepare --test-card FROM:TO:COUNT [--cell-size N] [--cell K] OUT.bmp\n"
    "Takes in the picture IN as the console does when it is dropped on its window: fitted into the\n"
    "490 x 490 field, converted to black and white, and written to OUT.bmp as the engraving preview\n"
    "(512 x 512, 1 bit per pixel). Prints the log lines of the intake.\n"
    "Pictures read (recognised by their content, not their name): JPEG, BMP, TIFF, PNG, PCX,\n"
    "Photo CD, WebP, GIF (first frame), HEIC, AVIF and SVG. Photos are set upright by their orientation "
    "tag;\n"
    "transparent parts are put over white.\n"
    "\n"
    "Text instead of a picture (drawn black on white, its capital letters 36 dots high):\n"
    "  --text TEXT        the text, UTF-8; \\n in it starts a new line\n"
    "  --font FAMILY      its font family (default: the default font)\n"
    "  --bold, --italic\n"
    "  --align A          left, centre (default) or right: how its lines are aligned\n"
    "  --size N           the height of its capital letters, N dots, 1..490 (default 36)\n"
    "  --fill             scaled as a whole to fill the field's width (or its height); --size goes\n"
    "\n"
    "A QR code instead of a picture (black on white, centred in the field, each module whole dots):\n"
    "  --qr TEXT          the text or web address it holds, UTF-8\n"
    "  --module N         dots a module (default 3; 0.075 mm a dot: 0.225 mm)\n"
    "  --ecc L|M|Q|H      error correction: 7, 15 (default), 25 or 30 % of the code can be restored\n"
    "  --quiet-zone N     the white border, N modules wide (default 4)\n"
    "A code that would not fit the 490-dot field is refused with how much of the text would.\n"
    "\n"
    "Several pictures, text blocks and QR codes on one engraving:\n"
    "  --layout FILE      the layout description (see the manual page): each item placed, sized, turned\n"
    "                     and converted on its own, then combined, black winning\n"
    "A test card instead of a picture (solid cells, each labelled with its burn time underneath):\n"
    "  --test-card FROM:TO:COUNT  burn times FROM to TO (1..240), spread over COUNT cells (1..12)\n"
    "  --cell-size N      a cell's side, N dots (default 60)\n"
    "  --cell K           only cell K (1 for the lowest burn time), where it lies on the card, byte for\n"
    "                     byte as the console uploads it (flipped top to bottom, as the machine takes it)\n"
    "A card that does not fit the 490-dot field is refused (exit status 2).\n"
    "\n"
    "Size of the picture in the field (the default: its own, a larger picture reduced to the field):\n"
    "  --size N           its longer side N dots, 1..490; a smaller picture is enlarged\n"
    "  --fill             its longer side across the whole field, 490 dots; a smaller picture is enlarged\n"
    "\n"
    "Conversion (the defaults give the console's default result):\n"
    "  --conversion MODE  threshold (default), floyd-steinberg, atkinson, jarvis, stucki, bayer, halftone\n"
    "  --threshold G      threshold: white where the grey reaches G, 0..255, as the Picture options\n"
    "                     window shows the level (default 128); the former R+G+B form (up to 765) is\n"
    "                     refused with the grey to write instead\n"
    "  --cell N           halftone: screen cell in pixels, 2..32 (default 6)\n"
    "  --angle D          halftone: screen angle in degrees, 0..90 (default 45)\n"
    "Adjustments of the picture before the conversion:\n"
    "  --brightness N     -100..100 (default 0)\n"
    "  --contrast N       -100..100 (default 0)\n"
    "  --gamma G          0.20..5.00 (default 1.00)\n"
    "  --sharpen N        unsharp mask, 0..100 (default 0)\n"
    "  --invert           black for white and white for black\n"
    "  --auto-level       stretch the picture's grey range; with threshold, the level by Otsu's method\n"
    "\n"
    "  --mirror           the whole engraving mirrored left to right, as the machine is to burn it (for\n"
    "                     stamps, and glass engraved from behind)\n"
    "\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "\n"
    "Exit status: 0 prepared; 1 \"Wrong file type\" (IN refused or OUT.bmp not writable), no text to "
    "draw,\nor text too large for the field, too long to fill its width or with characters no font draws,\n"
    "or a QR code that does not fit the field;\n"
    "2 wrong usage\n"
    "(nothing is written then).\n";

// A whole decimal number with an optional sign, nothing else.
std::optional<int> wholeNumber(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A decimal with at most two places, in hundredths: "1.5" -> 150.
std::optional<int> hundredths(std::string_view text) {
    const auto dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if (whole.empty() || fraction.size() > 2 || (dot != std::string_view::npos && fraction.empty()))
        return std::nullopt;
    for (char c : whole)
        if (c < '0' || c > '9') return std::nullopt;
    for (char c : fraction)
        if (c < '0' || c > '9') return std::nullopt;
    if (whole.size() > 3) return std::nullopt;
    int value = 0;
    for (char c : whole) value = value * 10 + (c - '0');
    value *= 100;
    if (!fraction.empty()) value += (fraction[0] - '0') * 10 + (fraction.size() > 1 ? fraction[1] - '0' : 0);
    return value;
}

struct Numeric {
    std::string_view name;
    int image::ConversionOptions::*field;
    image::Range range;
    bool decimal;
};
constexpr Numeric kNumeric[] = {
    {"--cell", &image::ConversionOptions::cell, image::kCellRange, false},
    {"--angle", &image::ConversionOptions::angle, image::kAngleRange, false},
    {"--brightness", &image::ConversionOptions::brightness, image::kBrightnessRange, false},
    {"--contrast", &image::ConversionOptions::contrast, image::kContrastRange, false},
    {"--gamma", &image::ConversionOptions::gamma, image::kGammaRange, true},
    {"--sharpen", &image::ConversionOptions::sharpen, image::kSharpenRange, false},
    // 0 stands for the picture's own size, which is what no --size gives.
    {"--size", &image::ConversionOptions::size, {1, image::kSizeRange.max}, false},
};

// "\n" typed on a command line starts a new line; "\\" is a backslash.
std::string unescapeLines(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\'))
            out += text[++i] == 'n' ? '\n' : '\\';
        else
            out += text[i];
    }
    return out;
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "tessary-prepare: %s\nTry 'tessary-prepare --help'.\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // File names as UTF-8 on every system (on Windows main's own are in the ANSI code page).
    tessary::platform::ProgramArguments arguments(argc, argv);
    argc = arguments.argc();
    argv = arguments.argv();
    if (tessary::prepare::wantsTestCard(argc, argv)) return tessary::prepare::runTestCard(argc, argv);
    std::vector<std::string> files;
    image::ConversionOptions conversion;
    std::optional<tessary::intake::TypedText> text;
    tessary::render::TextStyle style;
    bool textOptions = false;
    tessary::prepare::QrRequest qr;
    std::optional<std::string> layoutFile;
    bool options = true;
    tessary::prepare::JobOptions jobOptions;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (!options || arg.size() < 2 || arg[0] != '-') {
            files.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            options = false;
            continue;
        }
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            std::fputs(tessary::prepare::kJobUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::puts("tessary-prepare " TESSARY_VERSION);
            return 0;
        }
        if (arg == "--invert") {
            conversion.invert = true;
            continue;
        }
        if (arg == "--auto-level") {
            conversion.autoLevel = true;
            continue;
        }
        if (arg == "--fill") {
            conversion.fill = true;
            continue;
        }
        if (arg == "--mirror") {
            conversion.mirror = true;
            continue;
        }
        if (arg == "--bold" || arg == "--italic") {
            (arg == "--bold" ? style.bold : style.italic) = true;
            textOptions = true;
            continue;
        }
        // --name VALUE or --name=VALUE
        std::optional<std::string_view> value;
        if (const auto eq = arg.find('='); eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        const auto takeValue = [&]() -> std::optional<std::string_view> {
            if (value) return value;
            if (i + 1 < argc) return std::string_view(argv[++i]);
            return std::nullopt;
        };
        std::string refusal;
        if (const auto taken = tessary::prepare::takeQrOption(arg, takeValue, qr, refusal);
            taken != tessary::prepare::OptionTaken::NotMine) {
            if (taken == tessary::prepare::OptionTaken::Refused) return usageError(refusal);
            continue;
        }
        if (arg == "--layout") {
            const auto v = takeValue();
            if (!v) return usageError("--layout needs a file");
            layoutFile = std::string(*v);
            continue;
        }
        if (arg == "--text" || arg == "--font" || arg == "--align") {
            const auto v = takeValue();
            if (!v) return usageError(std::string(arg) + " needs a value");
            if (arg == "--text") {
                text = tessary::intake::TypedText{unescapeLines(*v), {}};
            } else if (arg == "--font") {
                style.family = std::string(*v);
                textOptions = true;
            } else {
                if (*v == "left")
                    style.alignment = tessary::render::TextAlignment::Left;
                else if (*v == "centre" || *v == "center")
                    style.alignment = tessary::render::TextAlignment::Centre;
                else if (*v == "right")
                    style.alignment = tessary::render::TextAlignment::Right;
                else
                    return usageError("unknown alignment '" + std::string(*v) + "' (left, centre or right)");
                textOptions = true;
            }
            continue;
        }
        if (arg == "--conversion") {
            const auto v = takeValue();
            if (!v) return usageError("--conversion needs a mode");
            const auto mode = image::conversionFromKey(*v);
            if (!mode)
                return usageError(
                    "unknown conversion '" + std::string(*v) +
                    "' (threshold, floyd-steinberg, atkinson, jarvis, stucki, bayer or halftone)");
            conversion.mode = *mode;
            continue;
        }
        if (arg == "--threshold") {
            const auto v = takeValue();
            if (!v) return usageError("--threshold needs a value");
            const auto level = tessary::prepare::thresholdFromGrey(*v);
            if (const auto* refusal = std::get_if<std::string>(&level)) return usageError(*refusal);
            conversion.threshold = std::get<int>(level);
            continue;
        }
        if (const auto taken = tessary::prepare::takeJobOption(arg, takeValue, jobOptions);
            taken != tessary::prepare::Taken::No) {
            if (taken == tessary::prepare::Taken::Wrong) return 2;
            continue;
        }
        const Numeric* numeric = nullptr;
        for (const Numeric& n : kNumeric)
            if (arg == n.name) numeric = &n;
        if (!numeric) return usageError("unknown option " + std::string(argv[i]));
        const auto v = takeValue();
        if (!v) return usageError(std::string(numeric->name) + " needs a value");
        const auto number = numeric->decimal ? hundredths(*v) : wholeNumber(*v);
        if (!number || !numeric->range.holds(*number)) {
            const auto bound = [&](int b) {
                if (!numeric->decimal) return std::to_string(b);
                char text[16];
                std::snprintf(text, sizeof text, "%d.%02d", b / 100, b % 100);
                return std::string(text);
            };
            return usageError(std::string(numeric->name) + " takes " +
                              (numeric->decimal ? "a number with up to two decimals" : "a whole number") +
                              " from " + bound(numeric->range.min) + " to " + bound(numeric->range.max) +
                              ", not '" + std::string(*v) + "'");
        }
        conversion.*(numeric->field) = *number;
    }
    const std::size_t expected = text || qr.wanted || layoutFile ? 1 : 2;
    if (files.size() != expected || files.front().empty() || files.back().empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (textOptions && !text) return usageError("--font, --bold, --italic and --align go with --text");
    if (qr.options && !qr.wanted) return usageError("--module, --ecc and --quiet-zone go with --qr");
    if (qr.wanted && (jobOptions.saveJob || jobOptions.settingsGiven))
        return usageError("a job keeps a picture or a text: --qr goes without --save-job");
    if (layoutFile && (jobOptions.saveJob || jobOptions.settingsGiven))
        return usageError("a job keeps one picture or text today: --layout goes without --save-job");
    if (layoutFile) {
        image::ConversionOptions mirrorOnly;
        mirrorOnly.mirror = conversion.mirror;
        if (text || qr.wanted || qr.options || textOptions || !(conversion == mirrorOnly))
            return usageError(
                "--layout sets each item's text, code and conversion itself: it takes --mirror only");
        return tessary::prepare::writeLayout(*layoutFile, conversion.mirror, files.back());
    }
    if (qr.wanted) {
        image::ConversionOptions mirrorOnly;
        mirrorOnly.mirror = conversion.mirror;
        if (text || !(conversion == mirrorOnly))
            return usageError(
                "--qr draws the code alone: it takes --mirror, but no text, size or conversion");
        return tessary::prepare::writeQrCode(qr.code, conversion.mirror, files.back());
    }
    if (conversion.fill && conversion.size != 0) return usageError("--size and --fill exclude each other");
    if (text) {
        // The Text window's Size and Fill the width.
        if (conversion.size != 0) style.size = conversion.size;
        style.fillWidth = conversion.fill;
        conversion.size = 0;
        conversion.fill = false;
    }
    if (const auto status =
            tessary::prepare::runJobs(files, text, style, conversion,
                                      textOptions || conversion != image::ConversionOptions{}, jobOptions))
        return *status;

    tessary::intake::ImageState state;
    state.options = conversion;
    tessary::intake::Headless around(files.back());
    using tessary::intake::IntakeResult;
    IntakeResult result = IntakeResult::Refused;
    if (text) {
        text->style = style;
        // Said before anything is written, as the console's Text window says it.
        if (const std::string refusal = tessary::intake::drawing().textRefusal(text->text, style);
            !refusal.empty()) {
            std::fprintf(stderr, "tessary-prepare: %s\n", refusal.c_str());
            return 1;
        }
        result = tessary::intake::takeInText(state, around, *text);
    } else {
        result = tessary::intake::takeIn(state, around, files[0]);
    }
    std::fflush(stdout);
    switch (result) {
        case IntakeResult::Prepared:
            return 0;
        case IntakeResult::Refused:
        case IntakeResult::NoText:
            return 1;
        case IntakeResult::PreviewUnwritable:
        case IntakeResult::PreviewUnwritten:
            std::fprintf(stderr, "tessary-prepare: cannot write %s\n", files.back().c_str());
            return 1;
    }
    return 1;
}
