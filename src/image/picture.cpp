// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/picture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "image/bmp_header.h"
#include "platform/files.h"
#include "platform/unique_fd.h"

namespace tessary::image {
namespace {

// Reads up to buffer.size() bytes from the start of the file; returns how many, or -1.
long readFully(int fd, std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long>(done);
}

// The file's headers, checked against its length; the file is left positioned after them.
std::optional<BitmapLayout> readHeader(const platform::UniqueFd& fd) {
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::uint8_t head[kBmpMinimumLength];
    if (readFully(fd.get(), head, sizeof head) != static_cast<long>(sizeof head)) return std::nullopt;
    return bitmapLayout(head, static_cast<std::uint64_t>(st.st_size));
}

platform::UniqueFd openForReading(const std::string& path) { return platform::openRegularFile(path); }

}  // namespace

Raster toRaster(const Bitmap& bitmap) {
    if (bitmap.empty()) return {};
    Raster out(bitmap.width(), bitmap.height());
    std::vector<std::uint32_t> row(static_cast<std::size_t>(bitmap.width()));
    for (int y = 0; y < bitmap.height(); ++y) {
        bitmap.readRow(y, row.data());
        std::uint8_t* p = out.at(0, y);
        for (std::uint32_t c : row) {
            *p++ = static_cast<std::uint8_t>(c);
            *p++ = static_cast<std::uint8_t>(c >> 8);
            *p++ = static_cast<std::uint8_t>(c >> 16);
        }
    }
    return out;
}

Bytes blankBmp24(int width, int height, bool fillImageSize) {
    if (width <= 0 || height <= 0) return {};
    const std::size_t stride = static_cast<std::size_t>(bmpStride(width, 24));
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(height);
    const std::size_t offset = kBmpFileHeaderSize + kBmpInfoHeaderSize;
    Bytes out(offset + pixelBytes, 0);
    std::uint8_t* h = out.data();
    h[0] = 'B';
    h[1] = 'M';
    writeU32(h + 2, static_cast<std::uint32_t>(out.size()));
    writeU32(h + 10, static_cast<std::uint32_t>(offset));
    writeU32(h + 14, kBmpInfoHeaderSize);
    writeU32(h + 18, static_cast<std::uint32_t>(width));
    writeU32(h + 22, static_cast<std::uint32_t>(height));
    writeU16(h + 26, 1);
    writeU16(h + 28, 24);
    if (fillImageSize) writeU32(h + 34, static_cast<std::uint32_t>(pixelBytes));
    return out;
}

Bytes bmp24(const Raster& raster, bool fillImageSize) {
    if (raster.empty()) return {};
    const std::size_t stride = static_cast<std::size_t>(bmpStride(raster.width, 24));
    const std::size_t offset = kBmpFileHeaderSize + kBmpInfoHeaderSize;
    Bytes out = blankBmp24(raster.width, raster.height, fillImageSize);
    for (int y = 0; y < raster.height; ++y) {
        std::uint8_t* dst = out.data() + offset + static_cast<std::size_t>(raster.height - 1 - y) * stride;
        const std::uint8_t* src = raster.at(0, y);
        for (int x = 0; x < raster.width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    return out;
}

std::optional<Raster> LoadPicture(std::span<const std::uint8_t> data) {
    Bitmap bitmap;
    if (!bitmap.载入数据(data)) return std::nullopt;
    return toRaster(bitmap);
}

std::optional<Raster> LoadPicture(const std::string& path) {
    // The headers say how much data there must be, so a huge or foreign file is never read whole.
    platform::UniqueFd fd = openForReading(path);
    const auto header = readHeader(fd);
    if (!header) return std::nullopt;
    const std::size_t length = header->pixelOffset + header->pixelBytes;
    Bytes data(length);
    ::lseek(fd.get(), 0, SEEK_SET);
    if (readFully(fd.get(), data.data(), length) != static_cast<long>(length)) return std::nullopt;
    // The file-size field may count bytes after the pixel rows, which were not read.
    writeU32(data.data() + 2, 0);
    return LoadPicture(data);
}

}  // namespace tessary::image
