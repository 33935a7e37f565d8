// tessary-prepare IN OUT.bmp: the console's picture intake on one file (or typed text), without a window.
// Writes the engraving preview (512 x 512, 1 bit per pixel, 32,830 bytes) to OUT.bmp and prints the log
// lines the console would write.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/handlers/intake.h"

namespace {

constexpr const char* kUsage =
    "Usage: tessary-prepare [--] IN OUT.bmp\n"
    "       tessary-prepare --text TEXT [--font FAMILY] [--bold] [--italic] [--align left|centre|right] OUT.bmp\n"
    "Takes in the picture IN as the console does when it is dropped on its window: fitted into the\n"
    "490 x 490 field, converted to black and white, and written to OUT.bmp as the engraving preview\n"
    "(512 x 512, 1 bit per pixel). Prints the log lines of the intake.\n"
    "Pictures read (recognised by their content, not their name): JPEG, 24-bit BMP, TIFF, PNG, PCX,\n"
    "Photo CD, WebP, GIF (first frame), HEIC, AVIF and SVG. Photos are set upright by their orientation tag.\n"
    "With --text, TEXT (UTF-8; \\n in it starts a new line) is drawn black on white as large as fits the field.\n"
    "\n"
    "  --text TEXT    take in this text instead of a picture\n"
    "  --font FAMILY  its font family (default: the default font)\n"
    "  --bold, --italic\n"
    "  --align left|centre|right  how its lines are aligned (default: left)\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "\n"
    "Exit status: 0 prepared; 1 \"Wrong file type\" (IN refused or OUT.bmp not writable) or no text;\n"
    "2 wrong usage.\n";

// A canvas in memory, as the console's 画板1 is on a true-colour display; the log goes to standard output.
class Headless : public tessary::intake::Surroundings {
  public:
    explicit Headless(std::string out) : out_(std::move(out)), canvas_(510, 510) {}

    tessary::image::Raster& canvas() override { return canvas_; }
    std::uint32_t canvasBackground() override { return tessary::intake::kButtonFace; }
    tessary::image::Resample resampling() override { return tessary::image::Resample::Halftone; }
    std::string previewFile() override { return out_; }
    void log(std::string_view line) override {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        std::printf("%.*s\n", static_cast<int>(line.size()), line.data());
    }
    void showPreview(const tessary::image::Bytes&) override {}
    void wrongFileType() override { std::fprintf(stderr, "%s\n", tessary::intake::kWrongFileType.data()); }
    void noText() override { std::fprintf(stderr, "%s\n", tessary::intake::kNoText.data()); }

  private:
    std::string out_;
    tessary::image::Raster canvas_;
};

// "\n" typed on a command line starts a new line; "\\" is a backslash.
std::string unescapeLines(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
            out += text[++i] == 'n' ? '\n' : '\\';
        } else {
            out += text[i];
        }
    }
    return out;
}

int usageError(const char* what, const char* arg) {
    std::fprintf(stderr, "tessary-prepare: %s %s\n%s", what, arg, kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    std::optional<tessary::intake::TypedText> text;
    tessary::render::TextStyle style;
    bool textOptions = false;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (options && (arg == "--text" || arg == "--font" || arg == "--align") && !hasValue) {
            return usageError("missing value after", argv[i]);
        } else if (options && arg == "--text") {
            text = tessary::intake::TypedText{unescapeLines(argv[++i]), {}};
        } else if (options && arg == "--font") {
            style.family = argv[++i];
            textOptions = true;
        } else if (options && arg == "--align") {
            const std::string_view a = argv[++i];
            if (a == "left") style.alignment = tessary::render::TextAlignment::Left;
            else if (a == "centre" || a == "center") style.alignment = tessary::render::TextAlignment::Centre;
            else if (a == "right") style.alignment = tessary::render::TextAlignment::Right;
            else return usageError("unknown alignment", argv[i]);
            textOptions = true;
        } else if (options && (arg == "--bold" || arg == "--italic")) {
            (arg == "--bold" ? style.bold : style.italic) = true;
            textOptions = true;
        } else if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (options && arg == "--version") {
            std::puts("tessary-prepare " TESSARY_VERSION);
            return 0;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "tessary-prepare: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        } else {
            files.emplace_back(arg);
        }
    }
    const std::size_t expected = text ? 1 : 2;
    if (files.size() != expected || files.front().empty() || files.back().empty() || (textOptions && !text)) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    tessary::intake::ImageState state;
    Headless around(files.back());
    using tessary::intake::IntakeResult;
    IntakeResult result = IntakeResult::Refused;
    if (text) {
        text->style = style;
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
            std::fprintf(stderr, "tessary-prepare: cannot write %s\n", files[1].c_str());
            return 1;
    }
    return 1;
}
