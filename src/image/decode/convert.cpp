#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "image/decode/decode.h"

namespace tessary::image {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

// Uncompressed 24-bit BMP: 54-byte header, rows bottom-up, blue-green-red, padded to 4 bytes.
bool writeBmp24(std::FILE* f, const Raster& picture) {
    const std::size_t stride = (static_cast<std::size_t>(picture.width) * 24 + 31) / 32 * 4;
    const std::uint64_t fileSize = 54 + static_cast<std::uint64_t>(stride) * picture.height;
    if (fileSize > UINT32_MAX) return false;
    std::uint8_t header[54] = {'B', 'M'};
    put32(header + 2, static_cast<std::uint32_t>(fileSize));
    put32(header + 10, 54);
    put32(header + 14, 40);
    put32(header + 18, static_cast<std::uint32_t>(picture.width));
    put32(header + 22, static_cast<std::uint32_t>(picture.height));
    put16(header + 26, 1);
    put16(header + 28, 24);
    if (std::fwrite(header, 1, sizeof header, f) != sizeof header) return false;
    std::vector<std::uint8_t> row(stride, 0);
    for (int y = picture.height - 1; y >= 0; --y) {
        const std::uint8_t* src = picture.at(0, y);
        for (int x = 0; x < picture.width; ++x, src += 3) {
            row[x * 3 + 0] = src[2];
            row[x * 3 + 1] = src[1];
            row[x * 3 + 2] = src[0];
        }
        if (std::fwrite(row.data(), 1, stride, f) != stride) return false;
    }
    return true;
}

}  // namespace

int ConvertPictureFile(const std::string& source, const std::string& destination) {
    if (source.empty() || destination.empty()) return kConvertMissingPath;
    Raster picture;
    const int decoded = decodePicture(source, picture, nullptr);
    if (decoded != kConvertOk) return decoded;
    std::unique_ptr<std::FILE, FileCloser> out(std::fopen(destination.c_str(), "wb"));
    if (!out) return kConvertWriteFailed;
    const bool written = writeBmp24(out.get(), picture);
    const bool closed = std::fclose(out.release()) == 0;
    return written && closed ? kConvertOk : kConvertWriteFailed;
}

}  // namespace tessary::image
