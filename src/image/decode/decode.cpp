// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "image/decode/decoders.h"
#include "image/decode/orientation.h"
#include "platform/files.h"
#include "platform/unique_fd.h"

namespace tessary::image {
namespace decode {

int decodeChain(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info,
                std::span<const Decoder> later) {
    static constexpr Decoder steps[] = {decodeJpeg,    decodeBmp,  decodeTiff, decodePng, decodePcx,
                                        decodePhotoCd, decodeWebp, decodeGif,  decodeHeif};
    auto attempt = [&](Decoder step) {
        if (info) *info = DecodeInfo{};
        std::clearerr(in.file);
        return step(in, sink, options, info);
    };
    for (Decoder step : steps)
        if (const int result = attempt(step); result != kConvertRefused) return result;
    for (Decoder step : later)
        if (const int result = attempt(step); result != kConvertRefused) return result;
    if (info) *info = DecodeInfo{};
    return kConvertRefused;
}

}  // namespace decode

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Fills a whole picture in memory, allocated once its size is known.
class RasterSink : public RowSink {
  public:
    explicit RasterSink(Raster& out) : out_(out) {}
    bool begin(int width, int height) override {
        try {
            out_ = Raster(width, height);
        } catch (const std::bad_alloc&) {
            out_ = Raster();
            return false;
        }
        return true;
    }
    void storedOrientation(int orientation) override { orientation_ = orientation; }
    void row(int y, const std::uint8_t* rgb) override {
        if (y < 0 || y >= out_.height) return;
        std::memcpy(out_.at(0, y), rgb, static_cast<std::size_t>(out_.width) * 3);
    }
    void setUpright() { out_ = uprightRaster(std::move(out_), orientation_); }

  private:
    Raster& out_;
    int orientation_ = 1;
};

}  // namespace

int decodePicture(const std::string& path, RowSink& sink, const DecodeOptions& options, DecodeInfo* info,
                  std::span<const Decoder> later) {
    if (info) *info = DecodeInfo{};
    if (path.empty()) return kConvertMissingPath;
    // Only regular files, opened without blocking: a FIFO or a device could block or never end.
    return decodePicture(platform::openRegularFile(path), sink, options, info, later);
}

int decodePicture(platform::UniqueFd fd, RowSink& sink, const DecodeOptions& options, DecodeInfo* info,
                  std::span<const Decoder> later) {
    if (info) *info = DecodeInfo{};
    if (!fd) return kConvertRefused;
    FilePtr file(::fdopen(fd.get(), "rb"));
    if (!file) return kConvertRefused;
    static_cast<void>(fd.release());
    // Decoders read in small pieces (a PNG chunk of 8 KiB and its 12 bytes around it, libjpeg's 4 KiB):
    // a larger buffer asks the system for the file in fewer calls, which cost most under wine.
    std::setvbuf(file.get(), nullptr, _IOFBF, 64 * 1024);
    struct stat st {};
    if (fstat(fileno(file.get()), &st) != 0 || !S_ISREG(st.st_mode)) return kConvertRefused;
    decode::Input in{file.get(), static_cast<std::uint64_t>(st.st_size)};
    return decode::decodeChain(in, sink, options, info, later);
}

int decodePicture(const std::string& path, Raster& out, DecodeInfo* info) {
    RasterSink sink(out);
    const int result = decodePicture(path, sink, DecodeOptions{}, info);
    if (result != kConvertOk)
        out = Raster();
    else
        sink.setUpright();
    return result;
}

}  // namespace tessary::image
