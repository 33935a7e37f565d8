// SPDX-License-Identifier: GPL-3.0-or-later
// tessary-icon-sizes: writes the program icon at the sizes of the icon theme, at build time, or the Windows
// icon file with those sizes in it (resources/icon.ico is made so).
// Usage: tessary-icon-sizes ICON.png OUTPUT_DIRECTORY SIZE...  (writes OUTPUT_DIRECTORY/<SIZE>x<SIZE>.png)
//        tessary-icon-sizes ICON.png OUTPUT.ico SIZE...
#include <png.h>

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "icon_file.h"
#include "icon_scale.h"

namespace {

using tessary::packaging::RgbaImage;

// Frees what libpng holds for an image on every path out.
struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
};

bool readPng(const std::string& path, RgbaImage& out) {
    PngImage png;
    if (!png_image_begin_read_from_file(&png.image, path.c_str())) {
        std::fprintf(stderr, "tessary-icon-sizes: %s: %s\n", path.c_str(), png.image.message);
        return false;
    }
    png.image.format = PNG_FORMAT_RGBA;
    out.width = static_cast<int>(png.image.width);
    out.height = static_cast<int>(png.image.height);
    out.pixels.assign(PNG_IMAGE_SIZE(png.image), 0);
    if (!png_image_finish_read(&png.image, nullptr, out.pixels.data(), 0, nullptr)) {
        std::fprintf(stderr, "tessary-icon-sizes: %s: %s\n", path.c_str(), png.image.message);
        return false;
    }
    return true;
}

std::vector<std::uint8_t> pngBytes(const RgbaImage& picture) {
    PngImage png;
    png.image.width = static_cast<png_uint_32>(picture.width);
    png.image.height = static_cast<png_uint_32>(picture.height);
    png.image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png.image, nullptr, &size, 0, picture.pixels.data(), 0, nullptr))
        return {};
    std::vector<std::uint8_t> bytes(size);
    if (!png_image_write_to_memory(&png.image, bytes.data(), &size, 0, picture.pixels.data(), 0, nullptr))
        return {};
    bytes.resize(size);
    return bytes;
}

bool writePng(const std::string& path, const RgbaImage& picture) {
    PngImage png;
    png.image.width = static_cast<png_uint_32>(picture.width);
    png.image.height = static_cast<png_uint_32>(picture.height);
    png.image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&png.image, path.c_str(), 0, picture.pixels.data(), 0, nullptr)) {
        std::fprintf(stderr, "tessary-icon-sizes: %s: %s\n", path.c_str(), png.image.message);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ICON.png OUTPUT_DIRECTORY|OUTPUT.ico SIZE...\n", argv[0]);
        return 2;
    }
    RgbaImage icon;
    if (!readPng(argv[1], icon)) return 1;
    const std::string directory = argv[2];
    const bool ico = directory.size() > 4 && directory.compare(directory.size() - 4, 4, ".ico") == 0;
    std::vector<tessary::packaging::IconPicture> pictures;
    for (int i = 3; i < argc; ++i) {
        const std::string_view arg = argv[i];
        int size = 0;
        const auto [end, error] = std::from_chars(arg.data(), arg.data() + arg.size(), size);
        if (error != std::errc() || end != arg.data() + arg.size() || size < 1 || size > 1024) {
            std::fprintf(stderr, "tessary-icon-sizes: not a size: %s\n", argv[i]);
            return 2;
        }
        const RgbaImage scaled = tessary::packaging::scaleIcon(icon, size, size);
        if (ico) {
            pictures.push_back({size, pngBytes(scaled)});
            continue;
        }
        const std::string name = std::to_string(size) + "x" + std::to_string(size) + ".png";
        if (!writePng(directory + "/" + name, scaled)) return 1;
    }
    if (!ico) return 0;
    const std::vector<std::uint8_t> file = tessary::packaging::iconFile(pictures);
    std::FILE* out = std::fopen(directory.c_str(), "wb");
    const bool written = out && !file.empty() && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out && std::fclose(out) != 0) return 1;
    if (!written) std::fprintf(stderr, "tessary-icon-sizes: cannot write %s\n", directory.c_str());
    return written ? 0 : 1;
}
