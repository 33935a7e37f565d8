// The floors of the intake's speed, as whole processes to time beside tessary-prepare:
//   jpeg FILE     libjpeg's decoding at the DCT scale the intake chooses, rows discarded
//   png FILE      zlib's inflating of the IDAT stream, nothing else of PNG
//   pngrows FILE  libpng's reading of the rows as stored (inflating and unfiltering), no conversions
//   file FILE     reading the file
#include <fcntl.h>
#include <png.h>
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

#include "image/handlers/fitting.h"

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s jpeg|png|pngrows|file FILE\n", argv[0]);
        return 2;
    }
    const std::string_view mode = argv[1];
    const bool ok = mode == "jpeg"      ? jpeg(argv[2])
                    : mode == "png"     ? png(argv[2])
                    : mode == "pngrows" ? pngRows(argv[2])
                                        : mode == "file" && file(argv[2]);
    return ok ? 0 : 1;
}
