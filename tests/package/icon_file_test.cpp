// SPDX-License-Identifier: GPL-3.0-or-later
// The committed Windows icon (resources/icon.ico) is the program icon at each size Windows asks for, scaled
// as the Linux icon theme's sizes are: remake it with packaging/tessary-icon-sizes when resources/icon.png
// changes.
#include "icon_file.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "icon_scale.h"

namespace {

using tessary::packaging::RgbaImage;
using Bytes = std::vector<std::uint8_t>;

Bytes readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

RgbaImage decodePng(const std::uint8_t* data, std::size_t size) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    RgbaImage out;
    if (!png_image_begin_read_from_memory(&image, data, size)) return out;
    image.format = PNG_FORMAT_RGBA;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.pixels.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) out = RgbaImage{};
    png_image_free(&image);
    return out;
}

unsigned get16(const Bytes& b, std::size_t at) { return b.at(at) | (b.at(at + 1) << 8); }
std::uint32_t get32(const Bytes& b, std::size_t at) { return get16(b, at) | (get16(b, at + 2) << 16); }

TEST(WindowsIcon, HoldsTheIconScaledToEverySizeWindowsUses) {
    const Bytes icon = readAll(TESSARY_RESOURCES "/icon.png");
    const RgbaImage original = decodePng(icon.data(), icon.size());
    ASSERT_EQ(original.width, 128);
    const Bytes ico = readAll(TESSARY_RESOURCES "/icon.ico");
    ASSERT_GE(ico.size(), 6u);
    const int sizes[] = {16, 20, 24, 32, 40, 48, 64, 128, 256};
    ASSERT_EQ(get16(ico, 2), 1u);
    ASSERT_EQ(get16(ico, 4), std::size(sizes));
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        const int size = sizes[i];
        SCOPED_TRACE(size);
        const std::size_t entry = 6 + 16 * i;
        EXPECT_EQ(ico.at(entry), size % 256);
        const std::uint32_t length = get32(ico, entry + 8), offset = get32(ico, entry + 12);
        ASSERT_LE(std::uint64_t{offset} + length, ico.size());
        const RgbaImage stored = decodePng(ico.data() + offset, length);
        const RgbaImage expected = tessary::packaging::scaleIcon(original, size, size);
        EXPECT_EQ(stored.width, size);
        EXPECT_TRUE(stored.pixels == expected.pixels);
    }
    EXPECT_TRUE(tessary::packaging::iconFile({{257, {}}}).empty()) << "no size past 256";
}

}  // namespace
