// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the console's own pictures: the main window's placeholder (512 x 512, 16 colours, BMP), the Setting
// window's picture (1199 x 512, JPEG) and the program icon (128 x 128, RGBA PNG).
// Usage: tessary-draw-resources OUTPUT_DIRECTORY
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "canvas.h"

// libjpeg needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <png.h>

namespace {

using draw::Canvas;
using draw::Colour;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openOut(const std::string& path) {
    File f(std::fopen(path.c_str(), "wb"));
    if (!f) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return f;
}

void put16(std::vector<std::uint8_t>& o, unsigned v) {
    o.push_back(v & 0xFF);
    o.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<std::uint8_t>& o, unsigned v) {
    put16(o, v & 0xFFFF);
    put16(o, v >> 16);
}

// The sixteen colours of the classic 4-bit palette.
constexpr Colour kPalette16[16] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

int nearestIndex(Colour c) {
    int best = 0, bestD = 1 << 30;
    for (int i = 0; i < 16; ++i) {
        const int dr = c.r - kPalette16[i].r, dg = c.g - kPalette16[i].g, db = c.b - kPalette16[i].b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestD) bestD = d, best = i;
    }
    return best;
}

bool writeBmp4(const Canvas& c, const std::string& path) {
    const unsigned stride = ((c.width() * 4 + 31) / 32) * 4;
    const unsigned pixels = stride * c.height();
    std::vector<std::uint8_t> o;
    o.push_back('B');
    o.push_back('M');
    put32(o, 14 + 40 + 64 + pixels);
    put32(o, 0);
    put32(o, 14 + 40 + 64);
    put32(o, 40);
    put32(o, c.width());
    put32(o, c.height());
    put16(o, 1);
    put16(o, 4);
    put32(o, 0);
    put32(o, pixels);
    put32(o, 3780);
    put32(o, 3780);
    put32(o, 16);
    put32(o, 0);
    for (const auto& p : kPalette16) {
        o.push_back(p.b);
        o.push_back(p.g);
        o.push_back(p.r);
        o.push_back(0);
    }
    for (int y = c.height() - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride, 0);
        for (int x = 0; x < c.width(); ++x) {
            const int idx = nearestIndex(c.at(x, y));
            row[x / 2] |= static_cast<std::uint8_t>(x % 2 ? idx : idx << 4);
        }
        o.insert(o.end(), row.begin(), row.end());
    }
    File f = openOut(path);
    return f && std::fwrite(o.data(), 1, o.size(), f.get()) == o.size();
}

bool writeJpeg(const Canvas& c, const std::string& path, int quality) {
    File f = openOut(path);
    if (!f) return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f.get());
    cinfo.image_width = static_cast<JDIMENSION>(c.width());
    cinfo.image_height = static_cast<JDIMENSION>(c.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(c.width()) * 3);
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            const Colour p = c.at(x, y);
            row[x * 3] = p.r;
            row[x * 3 + 1] = p.g;
            row[x * 3 + 2] = p.b;
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

bool writePng(const Canvas& c, const std::string& path) {
    File f = openOut(path);
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f.get());
    png_set_IHDR(png, info, c.width(), c.height(), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>(c.width()) * 4);
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            const Colour p = c.at(x, y);
            row[x * 4] = p.r;
            row[x * 4 + 1] = p.g;
            row[x * 4 + 2] = p.b;
            row[x * 4 + 3] = p.a;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Almost all white: a faint dashed drop zone with a tray and an arrow, and a one-line hint.
Canvas placeholder() {
    const Colour white{255, 255, 255}, silver{192, 192, 192};
    Canvas c(512, 512, white);
    c.dashedRect(48, 48, 416, 416, 12, 2, silver);
    c.fillRect(236, 150, 40, 110, silver);
    c.fillTriangle(206, 258, 306, 258, 256, 318, silver);
    c.fillRect(186, 300, 12, 60, silver);
    c.fillRect(314, 300, 12, 60, silver);
    c.fillRect(186, 348, 140, 12, silver);
    const std::string hint = "DROP A PICTURE HERE";
    c.text(256 - Canvas::textWidth(hint, 2) / 2, 392, hint, 2, silver);
    return c;
}

// A stylised engraver: frame, gantry, laser head with its beam, and a plate with a half-engraved pattern.
void engraver(Canvas& c, int ox, int oy) {
    const Colour metal{176, 186, 196}, dark{52, 58, 66}, wood{201, 160, 108}, burn{92, 56, 30},
        beam{255, 40, 40}, glow{255, 90, 90, 90};
    c.fillRect(ox, oy + 330, 560, 26, dark);
    c.frameRect(ox + 20, oy + 40, 520, 300, 14, metal);
    c.fillRect(ox + 60, oy + 120, 440, 190, wood);
    for (int i = 0; i < 7; ++i) {
        const double r = 14 + i * 12;
        for (int a = 0; a < 360; a += 2) {
            const double t = a * M_PI / 180;
            if (i == 6 && a > 200) break;
            c.fillRect(static_cast<int>(ox + 280 + r * std::cos(t)),
                       static_cast<int>(oy + 215 + r * 0.9 * std::sin(t)), 3, 3, burn);
        }
    }
    c.fillRect(ox + 34, oy + 80, 492, 18, metal);
    c.fillRect(ox + 34, oy + 96, 492, 4, dark);
    const int hx = ox + 380, hy = oy + 62;
    c.fillRect(hx, hy, 46, 56, dark);
    c.fillRect(hx + 8, hy + 8, 30, 6, metal);
    c.fillTriangle(hx + 12, hy + 56, hx + 34, hy + 56, hx + 23, hy + 66, dark);
    c.fillTriangle(hx + 10, hy + 66, hx + 36, hy + 66, hx + 23, hy + 188, glow);
    c.line(hx + 23, hy + 66, hx + 23, hy + 188, 3, beam);
    c.fillCircle(hx + 23, hy + 190, 7, glow);
    c.fillCircle(hx + 23, hy + 190, 3, Colour{255, 230, 200});
}

Canvas settingPicture() {
    Canvas c(1199, 512, {});
    c.verticalGradient({24, 34, 52}, {8, 72, 78});
    for (int x = 0; x < c.width(); x += 40) c.fillRect(x, 0, 1, c.height(), {255, 255, 255, 14});
    for (int y = 0; y < c.height(); y += 40) c.fillRect(0, y, c.width(), 1, {255, 255, 255, 14});
    engraver(c, 40, 60);
    const Colour white{245, 248, 250}, teal{64, 200, 200}, soft{170, 190, 200};
    c.text(660, 150, "TESSARY", 12, white);
    c.fillRect(660, 250, 490, 4, teal);
    c.text(660, 280, "LASER ENGRAVING CONSOLE", 3, teal);
    c.text(660, 330, "VERSION 2.0.1", 3, soft);
    return c;
}

Canvas icon() {
    Canvas c(128, 128, {0, 0, 0, 0});
    c.fillRoundRect(4, 4, 120, 120, 24, {0, 128, 128, 255});
    c.fillRoundRect(10, 10, 108, 56, 18, {20, 150, 150, 255});
    c.fillRect(18, 30, 92, 10, {235, 240, 242});
    c.fillRect(48, 22, 32, 34, {40, 44, 50});
    c.fillTriangle(54, 56, 74, 56, 64, 64, {40, 44, 50});
    c.fillTriangle(56, 64, 72, 64, 64, 98, {255, 120, 120, 140});
    c.line(64, 64, 64, 98, 3, {255, 30, 30});
    c.fillRect(22, 100, 84, 8, {222, 184, 135});
    c.fillCircle(64, 100, 5, {255, 220, 190});
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = writeBmp4(placeholder(), dir + "/placeholder.bmp") &&
                    writeJpeg(settingPicture(), dir + "/setting.jpg", 90) &&
                    writePng(icon(), dir + "/icon.png");
    return ok ? 0 : 1;
}
