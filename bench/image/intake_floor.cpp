// SPDX-License-Identifier: GPL-3.0-or-later
// The floors of the intake's speed, as whole processes to time beside tessary-prepare:
//   jpeg FILE     libjpeg's decoding at the DCT scale the intake chooses, rows discarded
//   png FILE      zlib's inflating of the IDAT stream, nothing else of PNG
//   pngrows FILE  libpng's reading of the rows as stored (inflating and unfiltering), no conversions
//   file FILE     reading the file
//   tiff FILE     reading an uncompressed 8-bit RGB TIFF's strips and box-averaging them to the fitted size
#include <fcntl.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "intake/fitting.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool jpeg(const char* path) {
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path, "rb"));
    if (!f) return false;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);  // a broken file ends the process, which is fine here
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f.get());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    const auto fit = tessary::intake::fitIntoField(static_cast<int>(cinfo.image_width),
                                                   static_cast<int>(cinfo.image_height));
    for (cinfo.scale_num = 1; cinfo.scale_num < 8; ++cinfo.scale_num) {
        cinfo.scale_denom = 8;
        jpeg_calc_output_dimensions(&cinfo);
        if (static_cast<int>(cinfo.output_width) >= fit.width &&
            static_cast<int>(cinfo.output_height) >= fit.height)
            break;
    }
    jpeg_start_decompress(&cinfo);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(cinfo.output_width) * cinfo.output_components);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.output_scanline < cinfo.output_height) jpeg_read_scanlines(&cinfo, rows, 1);
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

std::uint32_t be32(const unsigned char* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

bool png(const char* path) {
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path, "rb"));
    unsigned char signature[8];
    if (!f || std::fread(signature, 1, 8, f.get()) != 8) return false;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    std::vector<unsigned char> in(1 << 16), out(1 << 18);
    unsigned char head[8];
    int status = Z_OK;
    while (status != Z_STREAM_END && std::fread(head, 1, 8, f.get()) == 8) {
        std::uint32_t length = be32(head);
        const bool idat = std::memcmp(head + 4, "IDAT", 4) == 0;
        while (length > 0) {
            const std::size_t n = std::fread(in.data(), 1, std::min<std::size_t>(length, in.size()), f.get());
            if (n == 0) break;
            length -= static_cast<std::uint32_t>(n);
            if (!idat) continue;
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(n);
            while (z.avail_in > 0 && status == Z_OK) {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
                status = inflate(&z, Z_NO_FLUSH);
            }
        }
        std::fseek(f.get(), 4, SEEK_CUR);  // CRC
    }
    inflateEnd(&z);
    return status == Z_STREAM_END;
}

bool pngRows(const char* path) {
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path, "rb"));
    if (!f) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f.get());
    png_read_info(png, info);  // a broken file ends the process, which is fine here
    std::vector<png_byte> row(png_get_rowbytes(png, info));
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < png_get_image_height(png, info); ++y)
            png_read_row(png, row.data(), nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool file(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::vector<char> buffer(1 << 20);
    ssize_t n;
    while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
    }
    ::close(fd);
    return n == 0;
}

// The strips are located through libtiff; the pixels are read with read() in large blocks and each source
// pixel added to the destination pixel it falls in (no partial weights), the means taken at the end.
bool tiffBox(const char* path) {
    TIFF* tif = TIFFOpen(path, "r");
    if (!tif) return false;
    std::uint32_t width = 0, height = 0;
    std::uint16_t samples = 0, bits = 0, compression = 0, planar = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    std::uint64_t* offsets = nullptr;
    std::uint64_t* counts = nullptr;
    const bool plain = width > 0 && height > 0 && samples == 3 && bits == 8 &&
                       compression == COMPRESSION_NONE && planar == PLANARCONFIG_CONTIG &&
                       !TIFFIsTiled(tif) && TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets) &&
                       TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> strips;
    if (plain)
        for (std::uint32_t i = 0; i < TIFFNumberOfStrips(tif); ++i)
            strips.emplace_back(offsets[i], counts[i]);
    TIFFClose(tif);
    if (!plain) return false;

    const auto fit = tessary::intake::fitIntoField(static_cast<int>(width), static_cast<int>(height));
    const std::size_t dw = static_cast<std::size_t>(fit.width), dh = static_cast<std::size_t>(fit.height);
    const std::size_t rowBytes = std::size_t{width} * 3;
    // Source rows are summed whole into one full-width row per destination row, which is then folded
    // into the destination columns once.
    std::vector<std::uint32_t> open(rowBytes, 0);
    std::vector<std::uint32_t> sums(dw * dh * 3, 0);
    std::size_t openRow = 0;
    auto fold = [&] {
        std::uint32_t* out = sums.data() + openRow * dw * 3;
        for (std::size_t x = 0; x < width; ++x) {
            std::uint32_t* o = out + x * dw / width * 3;
            o[0] += open[x * 3];
            o[1] += open[x * 3 + 1];
            o[2] += open[x * 3 + 2];
        }
        std::fill(open.begin(), open.end(), 0);
    };
    std::vector<unsigned char> buffer(rowBytes * 64);
    std::uint32_t y = 0;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    for (const auto& [offset, count] : strips) {
        // Whole rows at a time; a strip holds whole rows.
        for (std::uint64_t done = 0; done + rowBytes <= count && y < height;) {
            const std::size_t want =
                std::min<std::uint64_t>(buffer.size(), (count - done) / rowBytes * rowBytes);
            if (::pread(fd, buffer.data(), want, static_cast<off_t>(offset + done)) !=
                static_cast<ssize_t>(want))
                break;
            done += want;
            for (std::size_t at = 0; at < want && y < height; at += rowBytes, ++y) {
                const std::size_t target = std::size_t{y} * dh / height;
                if (target != openRow) {
                    fold();
                    openRow = target;
                }
                const unsigned char* from = buffer.data() + at;
                std::uint32_t* to = open.data();
                for (std::size_t i = 0; i < rowBytes; ++i) to[i] += from[i];
            }
        }
    }
    fold();
    ::close(fd);
    const std::uint32_t area = static_cast<std::uint32_t>((width / dw) * (height / dh));
    unsigned checksum = 0;
    for (std::uint32_t v : sums) checksum += v / area;
    return y == height && checksum != 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s jpeg|png|pngrows|file|tiff FILE\n", argv[0]);
        return 2;
    }
    const std::string_view mode = argv[1];
    const bool ok = mode == "jpeg"      ? jpeg(argv[2])
                    : mode == "png"     ? png(argv[2])
                    : mode == "pngrows" ? pngRows(argv[2])
                    : mode == "tiff"    ? tiffBox(argv[2])
                                        : mode == "file" && file(argv[2]);
    return ok ? 0 : 1;
}
