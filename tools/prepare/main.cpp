// tessary-prepare IN OUT.bmp: the console's picture intake on one file, without a window. Writes the
// engraving preview (512 x 512, 1 bit per pixel, 32,830 bytes) to OUT.bmp and prints the log lines the
// console would write.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "image/handlers/headless.h"

namespace {

constexpr const char* kUsage =
    "Usage: tessary-prepare [--] IN OUT.bmp\n"
    "Takes in the picture IN (JPEG, 24-bit BMP, TIFF, PNG, PCX or Photo CD) as the console does when it is\n"
    "dropped on its window: fitted into the 490 x 490 field, converted to black and white, and written to\n"
    "OUT.bmp as the engraving preview (512 x 512, 1 bit per pixel). Prints the log lines of the intake.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "\n"
    "Exit status: 0 prepared; 1 \"Wrong file type\" (IN refused or OUT.bmp not writable); 2 wrong usage.\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--") {
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
    if (files.size() != 2 || files[0].empty() || files[1].empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    tessary::intake::ImageState state;
    tessary::intake::Headless around(files[1]);
    using tessary::intake::IntakeResult;
    const IntakeResult result = tessary::intake::takeIn(state, around, files[0]);
    std::fflush(stdout);
    switch (result) {
        case IntakeResult::Prepared:
            return 0;
        case IntakeResult::Refused:
            return 1;
        case IntakeResult::PreviewUnwritable:
        case IntakeResult::PreviewUnwritten:
            std::fprintf(stderr, "tessary-prepare: cannot write %s\n", files[1].c_str());
            return 1;
    }
    return 1;
}
