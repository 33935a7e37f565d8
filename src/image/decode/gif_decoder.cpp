// SPDX-License-Identifier: GPL-3.0-or-later
// GIF through giflib: the first frame on the logical screen, its transparent colour and the screen
// around it white. Rows are handed on as they are decompressed (an interlaced frame in its four passes).
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "image/decode/decoders.h"

namespace tessary::image::decode {
namespace {

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

int readFromFile(GifFileType* gif, GifByteType* buffer, int length) {
    if (length <= 0) return 0;
    return static_cast<int>(
        std::fread(buffer, 1, static_cast<std::size_t>(length), static_cast<std::FILE*>(gif->UserData)));
}

// Skips the rest of an extension's sub-blocks; false when the file ends among them.
bool skipSubBlocks(GifFileType* gif, GifByteType* block) {
    while (block)
        if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
    return true;
}

}  // namespace

int decodeGif(const Input& in, RowSink& sink, const DecodeOptions&, DecodeInfo* info) {
    char magic[6];
    if (!readAt(in, 0, magic, sizeof magic) ||
        (std::memcmp(magic, "GIF87a", 6) != 0 && std::memcmp(magic, "GIF89a", 6) != 0))
        return kConvertRefused;
    if (fseeko(in.file, 0, SEEK_SET) != 0) return kConvertRefused;
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(in.file, readFromFile, &error));
    if (!gif) return kConvertDecodeFailed;

    int transparent = -1;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) != GIF_OK) return kConvertDecodeFailed;
        if (record == TERMINATE_RECORD_TYPE) return kConvertDecodeFailed;  // no picture at all
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK) return kConvertDecodeFailed;
            // Graphic control: its flags' lowest bit says whether the fourth byte is the transparent index.
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
                transparent = (block[1] & 1) ? block[4] : -1;
            if (!skipSubBlocks(gif.get(), block)) return kConvertDecodeFailed;
            continue;
        }
        if (record == IMAGE_DESC_RECORD_TYPE) break;
    }
    if (DGifGetImageDesc(gif.get()) != GIF_OK) return kConvertDecodeFailed;

    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map || !map->Colors || frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0)
        return kConvertDecodeFailed;
    // A frame reaching past the logical screen widens it, as viewers show the whole frame.
    const std::uint64_t width = std::max<std::uint64_t>(gif->SWidth, std::uint64_t(frame.Left) + frame.Width);
    const std::uint64_t height =
        std::max<std::uint64_t>(gif->SHeight, std::uint64_t(frame.Top) + frame.Height);
    if (width * height > kMaxDeliveredPixels) return kConvertDecodeFailed;

    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3, 255);
    auto emit = [&](int frameRow) {
        std::uint8_t* out = rgb.data() + static_cast<std::size_t>(frame.Left) * 3;
        for (int x = 0; x < frame.Width; ++x, out += 3) {
            const int index = line[x];
            if (index == transparent) {
                out[0] = out[1] = out[2] = 255;
            } else if (index < map->ColorCount) {
                const GifColorType& c = map->Colors[index];
                out[0] = c.Red, out[1] = c.Green, out[2] = c.Blue;
            } else {
                out[0] = out[1] = out[2] = 0;  // an index beyond the colour table
            }
        }
        sink.row(frame.Top + frameRow, rgb.data());
    };

    static constexpr int kPassStart[] = {0, 4, 2, 1};
    static constexpr int kPassStep[] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    bool started = false;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = frame.Interlace ? kPassStart[pass] : 0,
                  step = frame.Interlace ? kPassStep[pass] : 1;
        for (int y = start; y < frame.Height; y += step) {
            if (DGifGetLine(gif.get(), line.data(), frame.Width) != GIF_OK) return kConvertDecodeFailed;
            if (!started) {
                // Nothing of picture size is allocated by the sink until a row has decoded.
                if (!startRows(sink, info, PictureFormat::Gif, width, height, width, height))
                    return kConvertDecodeFailed;
                started = true;
                std::vector<std::uint8_t> white(static_cast<std::size_t>(width) * 3, 255);
                for (std::uint64_t r = 0; r < height; ++r)
                    if (r < std::uint64_t(frame.Top) || r >= std::uint64_t(frame.Top) + frame.Height)
                        sink.row(static_cast<int>(r), white.data());
            }
            emit(y);
        }
    }
    return kConvertOk;
}

}  // namespace tessary::image::decode
