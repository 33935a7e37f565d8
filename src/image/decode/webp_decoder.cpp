// SPDX-License-Identifier: GPL-3.0-or-later
// WebP through libwebp. A still picture is decoded straight to the drawn size by the library's own
// scaling; an animation gives its first frame, on white.
#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>
#include <vector>

#include "image/decode/decoders.h"
#include "image/decode/over_white.h"

namespace tessary::image::decode {
namespace {

// RIFF sizes are 32-bit; a WebP file is read whole, so a larger one is not a picture we take.
constexpr std::uint64_t kMaxWebpFileBytes = 256ull * 1024 * 1024;

struct DecodedBuffer {
    WebPDecoderConfig config{};
    ~DecodedBuffer() { WebPFreeDecBuffer(&config.output); }
};
struct DemuxDeleter {
    void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};
struct FrameIterator {
    WebPIterator it{};
    ~FrameIterator() { WebPDemuxReleaseIterator(&it); }
};

bool withinLimit(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width * height <= kMaxDeliveredPixels;
}

int decodeStill(const std::vector<std::uint8_t>& data, const WebPBitstreamFeatures& features, RowSink& sink,
                const DecodeOptions& options, DecodeInfo* info) {
    const int width = features.width, height = features.height;
    DecodedBuffer decoded;
    if (!WebPInitDecoderConfig(&decoded.config)) return kConvertDecodeFailed;
    WebPDecoderConfig& config = decoded.config;
    int outWidth = width, outHeight = height;
    if (options.drawnSize) {
        const auto [drawnWidth, drawnHeight] = options.drawnSize(width, height);
        if (drawnWidth > 0 && drawnHeight > 0 && drawnWidth <= width && drawnHeight <= height &&
            (drawnWidth < width || drawnHeight < height)) {
            config.options.use_scaling = 1;
            config.options.scaled_width = outWidth = drawnWidth;
            config.options.scaled_height = outHeight = drawnHeight;
        }
    }
    config.output.colorspace = features.has_alpha ? MODE_rgbA : MODE_RGB;
    if (WebPDecode(data.data(), data.size(), &config) != VP8_STATUS_OK) return kConvertDecodeFailed;
    const WebPRGBABuffer& out = config.output.u.RGBA;
    if (config.output.width != outWidth || config.output.height != outHeight) return kConvertDecodeFailed;
    if (!startRows(sink, info, PictureFormat::WebP, width, height, outWidth, outHeight))
        return kConvertDecodeFailed;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(outWidth) * 3);
    for (int y = 0; y < outHeight; ++y) {
        const std::uint8_t* row = out.rgba + static_cast<std::size_t>(y) * out.stride;
        if (features.has_alpha) {
            rgbaOverWhite(row, rgb.data(), outWidth, true);
            sink.row(y, rgb.data());
        } else {
            sink.row(y, row);
        }
    }
    return kConvertOk;
}

int decodeFirstFrame(const std::vector<std::uint8_t>& data, RowSink& sink, DecodeInfo* info) {
    const WebPData whole{data.data(), data.size()};
    std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&whole));
    if (!demux) return kConvertDecodeFailed;
    const std::uint32_t width = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH);
    const std::uint32_t height = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT);
    if (!withinLimit(width, height)) return kConvertDecodeFailed;
    FrameIterator frame;
    if (!WebPDemuxGetFrame(demux.get(), 1, &frame.it)) return kConvertDecodeFailed;
    const WebPIterator& it = frame.it;
    if (it.x_offset < 0 || it.y_offset < 0 || it.width <= 0 || it.height <= 0 ||
        static_cast<std::uint64_t>(it.x_offset) + it.width > width ||
        static_cast<std::uint64_t>(it.y_offset) + it.height > height)
        return kConvertDecodeFailed;
    int frameWidth = 0, frameHeight = 0;
    std::unique_ptr<std::uint8_t, void (*)(void*)> rgba(
        WebPDecodeRGBA(it.fragment.bytes, it.fragment.size, &frameWidth, &frameHeight), WebPFree);
    if (!rgba || frameWidth != it.width || frameHeight != it.height) return kConvertDecodeFailed;
    if (!startRows(sink, info, PictureFormat::WebP, width, height, width, height))
        return kConvertDecodeFailed;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::fill(rgb.begin(), rgb.end(), 255);
        const int fy = static_cast<int>(y) - it.y_offset;
        if (fy >= 0 && fy < frameHeight)
            rgbaOverWhite(rgba.get() + static_cast<std::size_t>(fy) * frameWidth * 4,
                          rgb.data() + static_cast<std::size_t>(it.x_offset) * 3, frameWidth, false);
        sink.row(static_cast<int>(y), rgb.data());
    }
    return kConvertOk;
}

}  // namespace

int decodeWebp(const Input& in, RowSink& sink, const DecodeOptions& options, DecodeInfo* info) {
    std::uint8_t head[12];
    if (!readAt(in, 0, head, sizeof head) || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WEBP", 4) != 0)
        return kConvertRefused;
    if (in.size > kMaxWebpFileBytes) return kConvertDecodeFailed;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(in.size));
    if (!readAt(in, 0, data.data(), data.size())) return kConvertDecodeFailed;
    WebPBitstreamFeatures features{};
    if (WebPGetFeatures(data.data(), data.size(), &features) != VP8_STATUS_OK) return kConvertDecodeFailed;
    if (features.has_animation) return decodeFirstFrame(data, sink, info);
    if (!withinLimit(static_cast<std::uint64_t>(features.width), static_cast<std::uint64_t>(features.height)))
        return kConvertDecodeFailed;
    return decodeStill(data, features, sink, options, info);
}

}  // namespace tessary::image::decode
