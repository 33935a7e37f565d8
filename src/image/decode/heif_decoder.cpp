// SPDX-License-Identifier: GPL-3.0-or-later
// HEIC and AVIF through libheif: the primary image, turned and mirrored upright by the file's own
// transformations, transparency over white. The file is read through the open stream, not mapped whole.
#include <libheif/heif.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "image/decode/decoders.h"
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

// ---- the HEVC coding sizes the file declares ----
// libheif checks the size of a decoded image only after the HEVC decoder has allocated and decoded it; a
// few hundred bytes whose parameter sets claim a huge picture would take gigabytes and minutes. The
// parameter sets are read here first.

// Bits of an RBSP (emulation-prevention bytes removed), read MSB first; reads past the end give zeros
// and set `short_`.
class Bits {
  public:
    explicit Bits(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::uint32_t u(int n) {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            const std::size_t byte = at_ >> 3;
            int bit = 0;
            if (byte < bytes_.size())
                bit = (bytes_[byte] >> (7 - (at_ & 7))) & 1;
            else
                short_ = true;
            ++at_;
            v = v << 1 | static_cast<std::uint32_t>(bit);
        }
        return v;
    }
    std::uint64_t ue() {
        int zeros = 0;
        while (u(1) == 0) {
            if (++zeros > 32 || short_) return UINT64_MAX;
        }
        return (std::uint64_t{1} << zeros) - 1 + u(zeros);
    }
    bool exhausted() const { return short_; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool short_ = false;
};

// The picture size of an HEVC sequence parameter set (NAL unit with its two-byte header); {0, 0} when it
// cannot be read.
std::pair<std::uint64_t, std::uint64_t> spsSize(const std::uint8_t* nal, std::size_t size) {
    std::vector<std::uint8_t> rbsp;
    for (std::size_t i = 2, zeros = 0; i < size; ++i) {
        if (zeros >= 2 && nal[i] == 3) {
            zeros = 0;
            continue;
        }
        zeros = nal[i] == 0 ? zeros + 1 : 0;
        rbsp.push_back(nal[i]);
    }
    Bits b(std::move(rbsp));
    b.u(4);
    const int subLayers = static_cast<int>(b.u(3));
    b.u(1);
    b.u(96);  // general profile, tier and level
    bool profile[8] = {}, level[8] = {};
    for (int i = 0; i < subLayers; ++i) profile[i] = b.u(1), level[i] = b.u(1);
    if (subLayers > 0)
        for (int i = subLayers; i < 8; ++i) b.u(2);
    for (int i = 0; i < subLayers; ++i) {
        if (profile[i]) b.u(88);
        if (level[i]) b.u(8);
    }
    b.ue();
    if (b.ue() == 3) b.u(1);
    const std::uint64_t width = b.ue(), height = b.ue();
    if (b.exhausted() || width == UINT64_MAX || height == UINT64_MAX) return {0, 0};
    return {width, height};
}

// Every hvcC property's sequence parameter sets fit the pixel limit; `largest` gets the largest of their
// pixel counts. `data` is the meta box's content.
bool hevcSizesWithinLimit(const std::uint8_t* data, std::size_t size, std::uint64_t& largest, int depth = 0) {
    for (std::size_t at = 0; at + 8 <= size;) {
        std::uint64_t boxSize =
            std::uint64_t{data[at]} << 24 | data[at + 1] << 16 | data[at + 2] << 8 | data[at + 3];
        const std::string type(reinterpret_cast<const char*>(data + at + 4), 4);
        std::size_t header = 8;
        if (boxSize == 1) return false;  // 64-bit sizes have no place in a property box
        if (boxSize == 0) boxSize = size - at;
        if (boxSize < header || boxSize > size - at) return false;
        const std::uint8_t* body = data + at + header;
        const std::size_t bodySize = static_cast<std::size_t>(boxSize) - header;
        if ((type == "iprp" || type == "ipco") && depth < 2) {
            if (!hevcSizesWithinLimit(body, bodySize, largest, depth + 1)) return false;
        } else if (type == "hvcC") {
            if (bodySize < 23) return false;
            std::size_t p = 23;
            for (unsigned arrays = body[22]; arrays > 0; --arrays) {
                if (p + 3 > bodySize) return false;
                const unsigned nalType = body[p] & 0x3F;
                unsigned count = body[p + 1] << 8 | body[p + 2];
                p += 3;
                for (; count > 0; --count) {
                    if (p + 2 > bodySize) return false;
                    const std::size_t length = body[p] << 8 | body[p + 1];
                    p += 2;
                    if (length > bodySize - p) return false;
                    if (nalType == 33) {
                        const auto [w, h] = spsSize(body + p, length);
                        if (w == 0 || h == 0 || w > kMaxDeliveredPixels || h > kMaxDeliveredPixels ||
                            w * h > kMaxDeliveredPixels)
                            return false;
                        largest = std::max(largest, w * h);
                    }
                    p += length;
                }
            }
        }
        at += static_cast<std::size_t>(boxSize);
    }
    return true;
}

// The meta box read whole (it holds the item properties; a real one is a few kilobytes).
constexpr std::uint64_t kMaxMetaBytes = 16 * 1024 * 1024;

std::uint64_t bigEndian(const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | p[i];
    return v;
}

// The children of a box's content: type and content, in order; empty on a malformed box.
std::vector<std::pair<std::string, std::pair<std::size_t, std::size_t>>> children(const std::uint8_t* data,
                                                                                  std::size_t size) {
    std::vector<std::pair<std::string, std::pair<std::size_t, std::size_t>>> out;
    for (std::size_t at = 0; at + 8 <= size;) {
        std::uint64_t boxSize = bigEndian(data + at, 4);
        if (boxSize == 0) boxSize = size - at;
        if (boxSize < 8 || boxSize > size - at) return {};
        out.push_back({std::string(reinterpret_cast<const char*>(data + at + 4), 4),
                       {at + 8, static_cast<std::size_t>(boxSize) - 8}});
        at += static_cast<std::size_t>(boxSize);
    }
    return out;
}

// Derived images (a grid of tiles, an overlay) declare the size of the canvas libheif allocates for them
// in their own data: every one must fit the pixel limit. False also when their data cannot be found.
// A grid's tiles are decoded one by one, each at its coded size: all of them together may not decode more
// than twice the limit (a real grid's tiles cover its canvas with a little to spare).
bool derivedSizesWithinLimit(const Input& in, const std::uint8_t* meta, std::size_t size,
                             std::uint64_t metaAt, std::uint64_t largestTile) {
    std::vector<std::pair<std::uint32_t, bool>> derived;  // item, overlay
    const std::uint8_t* iloc = nullptr;
    std::size_t ilocSize = 0;
    std::uint64_t idatAt = 0, idatSize = 0;
    for (const auto& [type, where] : children(meta, size)) {
        const std::uint8_t* body = meta + where.first;
        if (type == "iinf" && where.second >= 6) {
            const bool wide = body[0] != 0;
            if (wide && where.second < 8) return false;
            for (const auto& [entry, at] : children(body + (wide ? 8 : 6), where.second - (wide ? 8 : 6))) {
                const std::uint8_t* infe = body + (wide ? 8 : 6) + at.first;
                if (entry != "infe" || at.second < 4 || infe[0] < 2) continue;
                const int idBytes = infe[0] == 2 ? 2 : 4;
                if (at.second < static_cast<std::size_t>(4 + idBytes + 2 + 4)) continue;
                const std::string item(reinterpret_cast<const char*>(infe + 4 + idBytes + 2), 4);
                if (item == "grid" || item == "iovl")
                    derived.push_back(
                        {static_cast<std::uint32_t>(bigEndian(infe + 4, idBytes)), item == "iovl"});
            }
        } else if (type == "iloc") {
            iloc = body, ilocSize = where.second;
        } else if (type == "idat") {
            idatAt = metaAt + where.first, idatSize = where.second;
        }
    }
    if (derived.empty()) return true;
    if (!iloc || ilocSize < 8) return false;
    const int version = iloc[0];
    const int offsetBytes = iloc[4] >> 4, lengthBytes = iloc[4] & 15, baseBytes = iloc[5] >> 4;
    const int indexBytes = version == 1 || version == 2 ? iloc[5] & 15 : 0;
    std::size_t p = 6;
    const int countBytes = version == 2 ? 4 : 2;
    if (p + countBytes > ilocSize) return false;
    std::uint64_t items = bigEndian(iloc + p, countBytes);
    p += countBytes;
    for (; items > 0; --items) {
        const int idBytes = version == 2 ? 4 : 2;
        if (p + idBytes + 4 + baseBytes + 2 > ilocSize) return false;
        const std::uint64_t id = bigEndian(iloc + p, idBytes);
        p += idBytes;
        int method = 0;
        if (version == 1 || version == 2) method = iloc[p + 1] & 15, p += 2;
        p += 2;  // data reference
        if (p + baseBytes + 2 > ilocSize) return false;
        const std::uint64_t base = bigEndian(iloc + p, baseBytes);
        p += baseBytes;
        const std::uint64_t extents = bigEndian(iloc + p, 2);
        p += 2;
        const std::size_t extentBytes = static_cast<std::size_t>(indexBytes + offsetBytes + lengthBytes);
        if (extents == 0 || extentBytes * extents > ilocSize - p) return false;
        const std::uint64_t offset = base + bigEndian(iloc + p + indexBytes, offsetBytes);
        p += extentBytes * extents;
        for (const auto& [item, overlay] : derived) {
            if (item != id) continue;
            // version, flags, [fill values], then the output width and height in 16 or 32 bits.
            std::uint8_t d[32];
            const std::uint64_t at = method == 1 ? idatAt + offset : offset;
            if (method > 1 || !readAt(in, at, d, 2)) return false;
            const std::size_t fields = overlay ? 10 : 4;
            const int sideBytes = (d[1] & 1) ? 4 : 2;
            const std::size_t need = fields + 2 * static_cast<std::size_t>(sideBytes);
            if ((method == 1 && offset + need > idatSize) || !readAt(in, at, d, need)) return false;
            const std::uint64_t w = bigEndian(d + fields, sideBytes),
                                h = bigEndian(d + fields + sideBytes, sideBytes);
            if (w == 0 || h == 0 || w * h > kMaxDeliveredPixels) return false;
            if (!overlay &&
                (std::uint64_t{d[2]} + 1) * (std::uint64_t{d[3]} + 1) * largestTile > 2 * kMaxDeliveredPixels)
                return false;
        }
    }
    return true;
}

bool declaredSizesWithinLimit(const Input& in) {
    std::uint64_t at = 0;
    while (at + 8 <= in.size) {
        std::uint8_t head[16];
        if (!readAt(in, at, head, 8)) return false;
        std::uint64_t boxSize = std::uint64_t{head[0]} << 24 | head[1] << 16 | head[2] << 8 | head[3];
        std::uint64_t header = 8;
        if (boxSize == 1) {
            if (!readAt(in, at + 8, head + 8, 8)) return false;
            boxSize = 0;
            for (int i = 8; i < 16; ++i) boxSize = boxSize << 8 | head[i];
            header = 16;
        } else if (boxSize == 0) {
            boxSize = in.size - at;
        }
        if (boxSize < header || boxSize > in.size - at) return false;
        if (std::memcmp(head + 4, "meta", 4) == 0) {
            if (boxSize - header < 4 || boxSize > kMaxMetaBytes) return false;
            std::vector<std::uint8_t> meta(static_cast<std::size_t>(boxSize - header - 4));
            std::uint64_t largest = 0;
            return readAt(in, at + header + 4, meta.data(), meta.size()) &&
                   hevcSizesWithinLimit(meta.data(), meta.size(), largest) &&
                   derivedSizesWithinLimit(in, meta.data(), meta.size(), at + header + 4, largest);
        }
        at += boxSize;
    }
    return false;
}

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

int decodeHeif(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    return decodeHeifFile(in, sink, info, true);
}

int decodeHeifThroughLibheif(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    return decodeHeifFile(in, sink, info, false);
}

}  // namespace tessary::image::decode
