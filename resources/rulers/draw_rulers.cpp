// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the two ruler strips of the preview as BMP files: ruler_horizontal.bmp and ruler_vertical.bmp.
// Usage: tessary-draw-rulers OUTPUT_DIRECTORY
#include <cstdio>
#include <memory>
#include <string>

#include "ruler_drawing.h"

namespace {

bool write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size() ||
        std::fclose(f.release()) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    using tessary::resources::RulerAxis;
    const std::string dir = argv[1];
    const bool ok = write(dir + "/ruler_horizontal.bmp", drawRuler(RulerAxis::Horizontal)) &&
                    write(dir + "/ruler_vertical.bmp", drawRuler(RulerAxis::Vertical));
    return ok ? 0 : 1;
}
