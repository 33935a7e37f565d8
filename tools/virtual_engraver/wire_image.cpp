// SPDX-License-Identifier: GPL-3.0-or-later
#include "virtual_engraver/wire_image.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace tessary::virtual_engraver {
namespace {

std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}
std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::int32_t i32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int32_t>(u32(b, at));
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

class PngWriter {
  public:
    PngWriter() {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (png_ != nullptr) info_ = png_create_info_struct(png_);
    }
    ~PngWriter() { png_destroy_write_struct(&png_, info_ != nullptr ? &info_ : nullptr); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;
    bool ready() const { return png_ != nullptr && info_ != nullptr; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

  private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

// No object with a destructor lives in this frame: libpng reports errors by longjmp.
bool writeRows(png_structp png, png_infop info, std::FILE* out, const WireImage& image) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, out);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()), static_cast<png_uint_32>(image.height()),
                 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height(); ++y) png_write_row(png, image.row(y).data());
    png_write_end(png, info);
    return true;
}

}  // namespace

std::optional<std::uint32_t> declaredFileSize(std::span<const std::uint8_t> head) {
    if (head.size() < 6 || head[0] != 'B' || head[1] != 'M') return std::nullopt;
    return u32(head, 2);
}

std::optional<WireImageHeader> readWireImageHeader(std::span<const std::uint8_t> head, std::string& problem) {
    const auto fileSize = declaredFileSize(head);
    if (!fileSize) {
        problem = "no BMP signature";
        return std::nullopt;
    }
    if (*fileSize < kWireHeaderLength || *fileSize > kMaxWireImageBytes) {
        problem = "declared size " + std::to_string(*fileSize) + " out of range";
        return std::nullopt;
    }
    if (head.size() < kWireHeaderLength) {
        problem = "header cut short";
        return std::nullopt;
    }
    WireImageHeader h;
    h.fileSize = *fileSize;
    h.pixelOffset = u32(head, 10);
    const std::uint32_t infoSize = u32(head, 14);
    const std::int32_t width = i32(head, 18);
    const std::int32_t height = i32(head, 22);
    if (infoSize < kBmpInfoHeaderLength || u16(head, 26) != 1 || u16(head, 28) != 1 || u32(head, 30) != 0) {
        problem = "not an uncompressed 1-bit BMP";
        return std::nullopt;
    }
    // A negative height would say the rows are stored top row first; the console never sends one and
    // the machine reads rows in wire order regardless, so only the magnitude matters.
    if (width < 1 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide) {
        problem = "size " + std::to_string(width) + "x" + std::to_string(height) + " out of range";
        return std::nullopt;
    }
    h.width = width;
    h.rows = height < 0 ? -height : height;
    h.stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
    const std::size_t colourTableEnd = kBmpFileHeaderLength + infoSize + 8;
    if (h.pixelOffset < colourTableEnd || h.pixelOffset + h.stride * h.rows > h.fileSize) {
        problem = "pixel rows do not fit in the declared size";
        return std::nullopt;
    }
    return h;
}

std::optional<WireImage> WireImage::parse(std::vector<std::uint8_t> file, std::string& problem) {
    const auto header = readWireImageHeader(file, problem);
    if (!header) return std::nullopt;
    if (file.size() < header->fileSize) {
        problem = "file cut short";
        return std::nullopt;
    }
    WireImage image;
    image.header_ = *header;
    image.file_ = std::move(file);
    return image;
}

std::span<const std::uint8_t> WireImage::row(int y) const {
    return std::span<const std::uint8_t>(file_).subspan(header_.pixelOffset + header_.stride * y,
                                                        header_.stride);
}

bool WireImage::burns(int x, int y) const {
    const std::uint8_t byte =
        file_[header_.pixelOffset + header_.stride * y + static_cast<std::size_t>(x) / 8];
    return (byte & (0x80u >> (x % 8))) == 0;
}

WireImage WireImage::blank() const {
    WireImage sheet = *this;
    for (int y = 0; y < header_.rows; ++y)
        std::fill_n(
            sheet.file_.begin() + static_cast<std::ptrdiff_t>(header_.pixelOffset + header_.stride * y),
            header_.stride, std::uint8_t{0xFF});
    return sheet;
}

void WireImage::markBurnt(int x, int y) {
    file_[header_.pixelOffset + header_.stride * y + static_cast<std::size_t>(x) / 8] &=
        static_cast<std::uint8_t>(~(0x80u >> (x % 8)));
}

bool writeBmp(const WireImage& image, const std::string& path, std::string& problem) {
    const std::string partial = path + ".part";
    bool written = false;
    {
        File out(std::fopen(partial.c_str(), "wb"));
        written =
            out &&
            std::fwrite(image.file().data(), 1, image.file().size(), out.get()) == image.file().size() &&
            std::fflush(out.get()) == 0;
    }
    if (!written || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        problem = "cannot write " + path;
        return false;
    }
    return true;
}

bool writePng(const WireImage& image, const std::string& path, std::string& problem) {
    const std::string partial = path + ".part";
    bool written = false;
    {
        File out(std::fopen(partial.c_str(), "wb"));
        if (!out) {
            problem = "cannot create " + partial;
            return false;
        }
        PngWriter writer;
        written = writer.ready() && writeRows(writer.png(), writer.info(), out.get(), image);
        written = std::fflush(out.get()) == 0 && written;
    }
    if (!written || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        problem = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace tessary::virtual_engraver
