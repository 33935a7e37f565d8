// SPDX-License-Identifier: GPL-3.0-or-later
// HEIC and AVIF through libheif: the primary image, turned and mirrored upright by the file's own
// transformations, transparency over white. The file is read through the open stream, not mapped whole.
#include <libheif/heif.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "image/decode/decoders.h"
#include "image/decode/heif_limits.h"
#include "image/decode/over_white.h"
#include "image/decode/ycbcr.h"

namespace tessary::image::decode {
namespace {

struct ContextDeleter {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageDeleter {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

struct Stream {
    const Input* in;
};

int64_t position(void* user) { return static_cast<int64_t>(ftello(static_cast<Stream*>(user)->in->file)); }
int read(void* data, size_t size, void* user) {
    return std::fread(data, 1, size, static_cast<Stream*>(user)->in->file) == size ? 0 : 1;
}
int seek(int64_t offset, void* user) {
    const Input& in = *static_cast<Stream*>(user)->in;
    if (offset < 0 || static_cast<std::uint64_t>(offset) > in.size) return 1;
    return fseeko(in.file, static_cast<off_t>(offset), SEEK_SET) == 0 ? 0 : 1;
}
heif_reader_grow_status waitForSize(int64_t size, void* user) {
    const Input& in = *static_cast<Stream*>(user)->in;
    return size >= 0 && static_cast<std::uint64_t>(size) <= in.size ? heif_reader_grow_status_size_reached
                                                                    : heif_reader_grow_status_size_beyond_eof;
}

// The largest side libheif may allocate for; the pixel count is checked on the image's own size.
constexpr int kMaxSide = 65535;

// The planes of a decoded picture turned into RGB a row at a time, so that no whole RGB copy of a photo is
// made beside the decoder's planes.
class YcbcrRows {
  public:
    YcbcrRows(const heif_image* image, const heif_image_handle* handle) : toRgb_(matrixOf(handle)) {
        y_ = heif_image_get_plane_readonly(image, heif_channel_Y, &yStride_);
        cb_ = heif_image_get_plane_readonly(image, heif_channel_Cb, &cbStride_);
        cr_ = heif_image_get_plane_readonly(image, heif_channel_Cr, &crStride_);
        const heif_chroma chroma = heif_image_get_chroma_format(image);
        shiftX_ = chroma == heif_chroma_444 ? 0 : 1;
        shiftY_ = chroma == heif_chroma_420 ? 1 : 0;
        known_ = chroma == heif_chroma_420 || chroma == heif_chroma_422 || chroma == heif_chroma_444;
    }
    bool usable(int width, int height) const {
        return known_ && y_ && cb_ && cr_ && yStride_ >= width && cbStride_ >= (width + shiftX_) >> shiftX_ &&
               crStride_ >= (width + shiftX_) >> shiftX_ && height > 0;
    }
    void row(int y, int width, std::uint8_t* rgb) const {
        toRgb_.row(y_ + static_cast<std::size_t>(y) * static_cast<std::size_t>(yStride_),
                   cb_ + static_cast<std::size_t>(y >> shiftY_) * static_cast<std::size_t>(cbStride_),
                   cr_ + static_cast<std::size_t>(y >> shiftY_) * static_cast<std::size_t>(crStride_),
                   shiftX_, width, rgb);
    }

  private:
    // The matrix and range the file declares for the picture; BT.601 at full range where it says nothing.
    static YcbcrToRgb matrixOf(const heif_image_handle* handle) {
        heif_color_profile_nclx* nclx = nullptr;
        const heif_error read = heif_image_handle_get_nclx_color_profile(handle, &nclx);
        // Handed out even with some errors, so always given back.
        const std::unique_ptr<heif_color_profile_nclx, void (*)(heif_color_profile_nclx*)> owned(
            nclx, heif_nclx_color_profile_free);
        if (read.code != heif_error_Ok || !nclx) return YcbcrToRgb(2, true);
        return YcbcrToRgb(static_cast<int>(nclx->matrix_coefficients), nclx->full_range_flag != 0);
    }
    YcbcrToRgb toRgb_;
    const std::uint8_t* y_ = nullptr;
    const std::uint8_t* cb_ = nullptr;
    const std::uint8_t* cr_ = nullptr;
    int yStride_ = 0, cbStride_ = 0, crStride_ = 0;
    int shiftX_ = 1, shiftY_ = 1;
    bool known_ = false;
};

}  // namespace

namespace {

int decodeHeifFile(const Input& in, RowSink& sink, DecodeInfo* info, bool straightHevc) {
    std::uint8_t head[32];
    const std::size_t headBytes = in.size < sizeof head ? static_cast<std::size_t>(in.size) : sizeof head;
    if (headBytes < 12 || !readAt(in, 0, head, headBytes) || head[4] != 'f' || head[5] != 't' ||
        head[6] != 'y' || head[7] != 'p' ||
        heif_check_filetype(head, static_cast<int>(headBytes)) == heif_filetype_no)
        return kConvertRefused;
    if (!declaredSizesWithinLimit(in)) return kConvertDecodeFailed;
    if (straightHevc)
        if (const int result = decodeHeicTiles(in, sink, info); result != kConvertRefused) return result;
    static std::once_flag initialised;
    std::call_once(initialised, [] { heif_init(nullptr); });

    std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    if (!context) return kConvertDecodeFailed;
    heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
    static const heif_reader reader = {1, position, read, seek, waitForSize};
    Stream stream{&in};
    if (fseeko(in.file, 0, SEEK_SET) != 0) return kConvertDecodeFailed;
    if (heif_context_read_from_reader(context.get(), &reader, &stream, nullptr).code != heif_error_Ok)
        return kConvertDecodeFailed;
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
        return kConvertDecodeFailed;
    std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle);
    // The stored size, before any quarter turn: the decoder allocates this much whatever the transformations.
    const std::uint64_t storedWidth =
        static_cast<std::uint64_t>(std::max(0, heif_image_handle_get_ispe_width(handle.get())));
    const std::uint64_t storedHeight =
        static_cast<std::uint64_t>(std::max(0, heif_image_handle_get_ispe_height(handle.get())));
    if (storedWidth == 0 || storedHeight == 0 || storedWidth * storedHeight > kMaxDeliveredPixels)
        return kConvertDecodeFailed;

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    if (!options) return kConvertDecodeFailed;
    options->convert_hdr_to_8bit = 1;
    // The common photo (8 bits, opaque) stays in its planes and is turned into RGB row by row.
    if (!alpha && heif_image_handle_get_luma_bits_per_pixel(handle.get()) == 8) {
        heif_image* planar = nullptr;
        if (heif_decode_image(handle.get(), &planar, heif_colorspace_YCbCr, heif_chroma_undefined,
                              options.get())
                .code != heif_error_Ok)
            return kConvertDecodeFailed;
        std::unique_ptr<heif_image, ImageDeleter> image(planar);
        const int width = heif_image_get_width(image.get(), heif_channel_Y);
        const int height = heif_image_get_height(image.get(), heif_channel_Y);
        const YcbcrRows rows(image.get(), handle.get());
        if (width <= 0 || !rows.usable(width, height) ||
            heif_image_get_bits_per_pixel_range(image.get(), heif_channel_Y) != 8)
            return kConvertDecodeFailed;
        if (!startRows(sink, info, PictureFormat::Heif, static_cast<std::uint64_t>(width),
                       static_cast<std::uint64_t>(height), static_cast<std::uint64_t>(width),
                       static_cast<std::uint64_t>(height)))
            return kConvertDecodeFailed;
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
        for (int y = 0; y < height; ++y) {
            rows.row(y, width, rgb.data());
            sink.row(y, rgb.data());
        }
        return kConvertOk;
    }
    heif_image* rawImage = nullptr;
    if (heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get())
            .code != heif_error_Ok)
        return kConvertDecodeFailed;
    std::unique_ptr<heif_image, ImageDeleter> image(rawImage);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (!plane || width <= 0 || height <= 0 || stride < width * (alpha ? 4 : 3) ||
        heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8)
        return kConvertDecodeFailed;
    if (!startRows(sink, info, PictureFormat::Heif, static_cast<std::uint64_t>(width),
                   static_cast<std::uint64_t>(height), static_cast<std::uint64_t>(width),
                   static_cast<std::uint64_t>(height)))
        return kConvertDecodeFailed;
    const bool premultiplied = alpha && heif_image_is_premultiplied_alpha(image.get()) != 0;
    std::vector<std::uint8_t> rgb(alpha ? static_cast<std::size_t>(width) * 3 : 0);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
        if (alpha) {
            rgbaOverWhite(row, rgb.data(), width, premultiplied);
            sink.row(y, rgb.data());
        } else {
            sink.row(y, row);
        }
    }
    return kConvertOk;
}

}  // namespace

int decodeHeifPicture(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    return decodeHeifFile(in, sink, info, true);
}

int decodeHeifThroughLibheif(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    return decodeHeifFile(in, sink, info, false);
}

}  // namespace tessary::image::decode
