// SPDX-License-Identifier: GPL-3.0-or-later
// The HEIC photo as phones and encoders write it (HEVC, 8 bits, opaque, one picture or a grid of tiles)
// decoded straight through libde265: a row of tiles at a time for a grid, and from the decoder's own
// planes, so no second copy of the picture is made. Anything else is left to libheif.
#include <libde265/de265.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

#include "image/decode/decoders.h"
#include "image/decode/heif_items.h"
#include "image/decode/ycbcr.h"

namespace tessary::image::decode {
namespace {

struct DecoderFree {
    void operator()(de265_decoder_context* c) const { de265_free_decoder(c); }
};
using Decoder265 = std::unique_ptr<de265_decoder_context, DecoderFree>;

// The parts of an hvcC property this reader needs.
struct HevcConfig {
    std::vector<std::vector<std::uint8_t>> parameterSets;  // NAL units, without length fields
    int lengthBytes = 4;
    int chroma = 0;  // 1: 4:2:0, 2: 4:2:2, 3: 4:4:4
    bool eightBits = false;
};

bool readConfig(const heif::Property& hvcc, HevcConfig& out) {
    const std::span<const std::uint8_t> b = hvcc.body;
    if (b.size() < 23) return false;
    out.chroma = b[16] & 3;
    out.eightBits = (b[17] & 7) == 0 && (b[18] & 7) == 0;
    out.lengthBytes = (b[21] & 3) + 1;
    std::size_t p = 23;
    for (unsigned arrays = b[22]; arrays > 0; --arrays) {
        if (b.size() - p < 3) return false;
        unsigned count = b[p + 1] << 8 | b[p + 2];
        p += 3;
        for (; count > 0; --count) {
            if (b.size() - p < 2) return false;
            const std::size_t length = b[p] << 8 | b[p + 1];
            p += 2;
            if (length > b.size() - p) return false;
            out.parameterSets.emplace_back(b.begin() + static_cast<std::ptrdiff_t>(p),
                                           b.begin() + static_cast<std::ptrdiff_t>(p + length));
            p += length;
        }
    }
    return true;
}

std::uint32_t bigEndian(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | p[i];
    return v;
}

// The properties this reader applies or may pass by; an essential property outside them, or a crop or a
// mirror anywhere, sends the file to libheif.
bool plainProperties(const heif::Meta& meta, std::uint32_t id, bool turnAllowed) {
    for (auto [a, end] = meta.associations.equal_range(id); a != end; ++a) {
        const std::string& type = meta.properties[a->second.property].type;
        if (type == "clap" || type == "imir" || (type == "irot" && !turnAllowed)) return false;
        if (a->second.essential && type != "hvcC" && type != "ispe" && type != "colr" && type != "pixi" &&
            type != "irot")
            return false;
    }
    return true;
}

bool spatialExtent(const heif::Meta& meta, std::uint32_t id, std::uint32_t& width, std::uint32_t& height) {
    const heif::Property* ispe = meta.property(id, "ispe");
    if (!ispe || ispe->body.size() < 12) return false;
    width = bigEndian(ispe->body.data() + 4, 4);
    height = bigEndian(ispe->body.data() + 8, 4);
    return width > 0 && height > 0;
}

// One coded picture, decoded; its decoder owns the planes.
class Tile {
  public:
    // Reads the item's coded data into a decoder of its own. False when it is not a plain 8-bit HEVC
    // picture or its data cannot be read.
    bool load(const Input& in, const heif::Meta& meta, const heif::Item& item) {
        const heif::Property* hvcc = meta.property(item.id, "hvcC");
        std::vector<std::uint8_t> data;
        if (item.type != "hvc1" || !hvcc || !readConfig(*hvcc, config_) || !config_.eightBits ||
            config_.chroma == 0 || !readItem(in, meta, item.id, in.size, data))
            return false;
        decoder_.reset(de265_new_decoder());
        if (!decoder_) return false;
        for (const auto& nal : config_.parameterSets)
            if (!de265_isOK(
                    de265_push_NAL(decoder_.get(), nal.data(), static_cast<int>(nal.size()), 0, nullptr)))
                return false;
        for (std::size_t p = 0; p < data.size();) {
            if (data.size() - p < static_cast<std::size_t>(config_.lengthBytes)) return false;
            const std::size_t length = bigEndian(data.data() + p, config_.lengthBytes);
            p += static_cast<std::size_t>(config_.lengthBytes);
            if (length > data.size() - p || length > 0x7FFFFFFF) return false;
            if (!de265_isOK(
                    de265_push_NAL(decoder_.get(), data.data() + p, static_cast<int>(length), 0, nullptr)))
                return false;
            p += length;
        }
        return de265_isOK(de265_flush_data(decoder_.get()));
    }

    // Decodes what was loaded; false when it does not decode to a picture of this size. Tiles loaded
    // apart may be decoded at the same time.
    bool decode(std::uint32_t width, std::uint32_t height) {
        if (!decoder_) return false;
        const HevcConfig& config = config_;
        for (int more = 1; more && !image_;) {
            const de265_error e = de265_decode(decoder_.get(), &more);
            if (!de265_isOK(e) && e != DE265_ERROR_WAITING_FOR_INPUT_DATA) return false;
            image_ = de265_get_next_picture(decoder_.get());
        }
        if (!image_ || de265_get_chroma_format(image_) != static_cast<de265_chroma>(config.chroma))
            return false;
        for (int c = 0; c < 3; ++c)
            if (de265_get_bits_per_pixel(image_, c) != 8) return false;
        const int shiftX = config.chroma == 3 ? 0 : 1, shiftY = config.chroma == 1 ? 1 : 0;
        const int w = de265_get_image_width(image_, 0), h = de265_get_image_height(image_, 0);
        if (w <= 0 || h <= 0 || static_cast<std::uint32_t>(w) != width ||
            static_cast<std::uint32_t>(h) != height)
            return false;
        y_ = de265_get_image_plane(image_, 0, &yStride_);
        cb_ = de265_get_image_plane(image_, 1, &cbStride_);
        cr_ = de265_get_image_plane(image_, 2, &crStride_);
        shiftX_ = shiftX, shiftY_ = shiftY;
        const int chromaWidth = (w + shiftX) >> shiftX, chromaHeight = (h + shiftY) >> shiftY;
        return y_ && cb_ && cr_ && yStride_ >= w && cbStride_ >= chromaWidth && crStride_ >= chromaWidth &&
               de265_get_image_width(image_, 1) >= chromaWidth &&
               de265_get_image_height(image_, 1) >= chromaHeight &&
               de265_get_image_width(image_, 2) >= chromaWidth &&
               de265_get_image_height(image_, 2) >= chromaHeight;
    }

    void row(const YcbcrToRgb& toRgb, int y, int width, std::uint8_t* rgb) const {
        toRgb.row(y_ + static_cast<std::size_t>(y) * static_cast<std::size_t>(yStride_),
                  cb_ + static_cast<std::size_t>(y >> shiftY_) * static_cast<std::size_t>(cbStride_),
                  cr_ + static_cast<std::size_t>(y >> shiftY_) * static_cast<std::size_t>(crStride_), shiftX_,
                  width, rgb);
    }

  private:
    HevcConfig config_;
    Decoder265 decoder_;
    const de265_image* image_ = nullptr;
    const std::uint8_t* y_ = nullptr;
    const std::uint8_t* cb_ = nullptr;
    const std::uint8_t* cr_ = nullptr;
    int yStride_ = 0, cbStride_ = 0, crStride_ = 0;
    int shiftX_ = 1, shiftY_ = 1;
};

// The matrix and range the item's nclx colour box declares; BT.601 at full range where it has none.
YcbcrToRgb colourOf(const heif::Meta& meta, std::uint32_t id) {
    for (auto [a, end] = meta.associations.equal_range(id); a != end; ++a) {
        const heif::Property& p = meta.properties[a->second.property];
        if (p.type == "colr" && p.body.size() >= 11 && std::equal(p.body.begin(), p.body.begin() + 4, "nclx"))
            return YcbcrToRgb(static_cast<int>(bigEndian(p.body.data() + 8, 2)), (p.body[10] & 0x80) != 0);
    }
    return YcbcrToRgb(2, true);
}

// The stored picture set upright by its quarter turns anticlockwise, as an orientation code.
int orientationOf(const heif::Meta& meta, std::uint32_t id) {
    const heif::Property* irot = meta.property(id, "irot");
    if (!irot || irot->body.empty()) return 1;
    static constexpr int kByTurns[] = {1, 8, 3, 6};
    return kByTurns[irot->body[0] & 3];
}

// The loaded tiles of a row decoded, on two threads when there are several.
bool decodeBand(std::vector<Tile>& band, std::uint32_t width, std::uint32_t height) {
    std::atomic<bool> good = true;
    auto every = [&](std::size_t first) {
        for (std::size_t c = first; c < band.size(); c += 2)
            if (!band[c].decode(width, height)) good = false;
    };
    std::thread second;
    if (band.size() > 1) {
        try {
            second = std::thread(every, 1);
        } catch (const std::system_error&) {
            every(1);
        }
    }
    every(0);
    if (second.joinable()) second.join();
    return good;
}

}  // namespace

int decodeHeicTiles(const Input& in, RowSink& sink, DecodeInfo* info) {
    // Only tables read whole: whatever had to be tolerated is left to libheif.
    const std::optional<heif::Meta> meta = heif::readMeta(in);
    if (!meta || !meta->whole) return kConvertRefused;
    const heif::Item* primary = meta->item(meta->primary);
    if (!primary || !plainProperties(*meta, primary->id, true) || meta->referredTo(primary->id, "auxl"))
        return kConvertRefused;

    // The layout: columns x rows tiles of one size, cropped to the picture's size.
    std::vector<const heif::Item*> tiles;
    std::uint32_t columns = 1, rows = 1, width = 0, height = 0, tileWidth = 0, tileHeight = 0;
    if (primary->type == "grid") {
        std::vector<std::uint8_t> grid;
        if (!readItem(in, *meta, primary->id, 64, grid) || grid.size() < 8 || grid[0] != 0)
            return kConvertRefused;
        const int sideBytes = (grid[1] & 1) ? 4 : 2;
        if (grid.size() < 4 + 2 * static_cast<std::size_t>(sideBytes)) return kConvertRefused;
        rows = grid[2] + 1u, columns = grid[3] + 1u;
        width = bigEndian(grid.data() + 4, sideBytes);
        height = bigEndian(grid.data() + 4 + sideBytes, sideBytes);
        for (std::uint32_t id : meta->references(primary->id, "dimg")) tiles.push_back(meta->item(id));
        if (tiles.size() != static_cast<std::size_t>(rows) * columns || !tiles[0] ||
            !spatialExtent(*meta, tiles[0]->id, tileWidth, tileHeight))
            return kConvertRefused;
        for (const heif::Item* tile : tiles) {
            std::uint32_t w = 0, h = 0;
            if (!tile || !plainProperties(*meta, tile->id, false) || !spatialExtent(*meta, tile->id, w, h) ||
                w != tileWidth || h != tileHeight)
                return kConvertRefused;
        }
        if (width == 0 || height == 0 || std::uint64_t{tileWidth} * columns < width ||
            std::uint64_t{tileHeight} * rows < height || std::uint64_t{tileWidth} * (columns - 1) >= width ||
            std::uint64_t{tileHeight} * (rows - 1) >= height)
            return kConvertRefused;
    } else {
        if (!spatialExtent(*meta, primary->id, width, height)) return kConvertRefused;
        tiles.push_back(primary);
        tileWidth = width, tileHeight = height;
    }
    if (std::uint64_t{width} * height > kMaxDeliveredPixels) return kConvertDecodeFailed;
    // A row of tiles is held coded at once: tiles that share their data could make that many times the file.
    std::uint64_t coded = 0;
    for (const heif::Item* tile : tiles)
        for (const auto& extent : meta->placeOf(tile->id)) {
            coded += std::min(extent.second, in.size + 1);
            if (coded > in.size) return kConvertRefused;
        }

    const YcbcrToRgb toRgb = colourOf(*meta, primary->id);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
    bool started = false;
    for (std::uint32_t r = 0; r < rows; ++r) {
        std::vector<Tile> band(columns);
        bool decoded = true;
        for (std::uint32_t c = 0; c < columns && decoded; ++c)
            decoded = band[c].load(in, *meta, *tiles[r * columns + c]);
        if (!decoded || !decodeBand(band, tileWidth, tileHeight))
            return started ? kConvertDecodeFailed : kConvertRefused;
        if (!started) {
            if (!startRows(sink, info, PictureFormat::Heif, width, height, width, height,
                           orientationOf(*meta, primary->id)))
                return kConvertDecodeFailed;
            started = true;
        }
        const std::uint32_t top = r * tileHeight, bottom = std::min(height, top + tileHeight);
        for (std::uint32_t y = top; y < bottom; ++y) {
            for (std::uint32_t c = 0; c < columns; ++c) {
                const std::uint32_t left = c * tileWidth;
                band[c].row(toRgb, static_cast<int>(y - top),
                            static_cast<int>(std::min(tileWidth, width - left)),
                            rgb.data() + static_cast<std::size_t>(left) * 3);
            }
            sink.row(static_cast<int>(y), rgb.data());
        }
    }
    return kConvertOk;
}

}  // namespace tessary::image::decode
