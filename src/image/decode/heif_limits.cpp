// SPDX-License-Identifier: GPL-3.0-or-later
// The sizes a HEIF file declares for what its decoders will allocate, read before any decoder runs.
#include "image/decode/heif_limits.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "image/decode/heif_items.h"

namespace tessary::image::decode {
namespace {

// ---- the HEVC coding sizes the file declares ----

// Bits read MSB first (of an HEVC RBSP, emulation-prevention bytes removed, or of an AV1 header); reads
// past the end give zeros and set `short_`.
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

// A coded picture size fits the pixel limit; `largest` gets the largest seen.
bool withinLimit(std::uint64_t width, std::uint64_t height, std::uint64_t& largest) {
    if (width == 0 || height == 0 || width > kMaxDeliveredPixels || height > kMaxDeliveredPixels ||
        width * height > kMaxDeliveredPixels)
        return false;
    largest = std::max(largest, width * height);
    return true;
}

// Every hvcC property's sequence parameter sets fit the pixel limit; `largest` gets the largest of their
// pixel counts.
bool hevcSizesWithinLimit(const heif::Meta& meta, std::uint64_t& largest) {
    for (const heif::Property& property : meta.properties) {
        if (property.type != "hvcC") continue;
        const std::uint8_t* body = property.body.data();
        const std::size_t bodySize = property.body.size();
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
                    if (!withinLimit(w, h, largest)) return false;
                }
                p += length;
            }
        }
    }
    return true;
}

std::uint64_t bigEndian(const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | p[i];
    return v;
}

// The ids of the items of a type, each once.
std::set<std::uint32_t> itemsOf(const heif::Meta& meta, std::string_view type) {
    std::set<std::uint32_t> ids;
    for (const heif::Item& item : meta.items)
        if (item.type == type) ids.insert(item.id);
    return ids;
}

// ---- the AV1 frame sizes the file declares ----
// The AV1 decoder allocates and decodes a frame at the size its sequence header (or, with a full
// sequence header, its own frame header) declares, whatever the item's ispe says; libheif looks at
// the size only afterwards.

struct SequenceHeader {
    bool reduced = false;
    int widthBits = 0, heightBits = 0;
    std::uint64_t maxWidth = 0, maxHeight = 0;
    bool frameIds = false;
    int idBits = 0, deltaIdBits = 0;
    bool decoderModel = false, equalPictureInterval = false;
    int removalTimeBits = 0, presentationTimeBits = 0;
    std::vector<std::pair<std::uint32_t, bool>> operatingPoints;  // idc, decoder model present
    std::uint32_t screenContentTools = 2, integerMv = 2;          // 2: chosen by each frame
    int orderHintBits = 0;
};

bool readSequenceHeader(Bits& b, SequenceHeader& s) {
    b.u(4);  // profile, still picture
    s.reduced = b.u(1) != 0;
    if (s.reduced) {
        b.u(5);
        s.operatingPoints.push_back({0, false});
    } else {
        int bufferDelayBits = 0;
        if (b.u(1)) {  // timing info
            b.u(32);
            b.u(32);
            s.equalPictureInterval = b.u(1) != 0;
            if (s.equalPictureInterval) {
                int zeros = 0;
                while (b.u(1) == 0 && !b.exhausted()) ++zeros;
                if (zeros < 32) b.u(zeros);
            }
            s.decoderModel = b.u(1) != 0;
            if (s.decoderModel) {
                bufferDelayBits = static_cast<int>(b.u(5)) + 1;
                b.u(32);
                s.removalTimeBits = static_cast<int>(b.u(5)) + 1;
                s.presentationTimeBits = static_cast<int>(b.u(5)) + 1;
            }
        }
        const bool initialDisplayDelay = b.u(1) != 0;
        for (int points = static_cast<int>(b.u(5)) + 1; points > 0; --points) {
            const std::uint32_t idc = b.u(12);
            if (b.u(5) > 7) b.u(1);  // tier
            bool model = false;
            if (s.decoderModel) {
                model = b.u(1) != 0;
                if (model) b.u(2 * bufferDelayBits + 1);
            }
            if (initialDisplayDelay && b.u(1)) b.u(4);
            s.operatingPoints.push_back({idc, model});
        }
    }
    s.widthBits = static_cast<int>(b.u(4)) + 1;
    s.heightBits = static_cast<int>(b.u(4)) + 1;
    s.maxWidth = b.u(s.widthBits) + std::uint64_t{1};
    s.maxHeight = b.u(s.heightBits) + std::uint64_t{1};
    if (!s.reduced && b.u(1)) {
        s.frameIds = true;
        s.deltaIdBits = static_cast<int>(b.u(4)) + 2;
        s.idBits = s.deltaIdBits + static_cast<int>(b.u(3)) + 1;
    }
    b.u(3);  // superblock size, filter intra, intra edge filter
    if (!s.reduced) {
        b.u(4);  // inter-intra, masked compound, warped motion, dual filter
        const bool orderHint = b.u(1) != 0;
        if (orderHint) b.u(2);
        s.screenContentTools = b.u(1) ? 2 : b.u(1);
        if (s.screenContentTools > 0) s.integerMv = b.u(1) ? 2 : b.u(1);
        s.orderHintBits = orderHint ? static_cast<int>(b.u(3)) + 1 : 0;
    }
    return !b.exhausted();
}

// The size a frame header gives its frame explicitly (frame_size_override_flag); width 0 when the frame
// takes the sequence's maximum size or a reference frame's size, or shows an earlier frame.
bool readFrameSize(Bits& b, const SequenceHeader& s, int temporalId, int spatialId, std::uint64_t& width,
                   std::uint64_t& height) {
    width = height = 0;
    if (s.reduced || b.u(1)) return !b.exhausted();  // the maximum, or an earlier frame shown again
    const std::uint32_t type = b.u(2);               // key, inter, intra only, switch
    const bool shown = b.u(1) != 0;
    if (shown && s.decoderModel && !s.equalPictureInterval) b.u(s.presentationTimeBits);
    if (!shown) b.u(1);
    const bool intra = type == 0 || type == 2;
    const bool refreshesAll = type == 3 || (type == 0 && shown);
    const bool errorResilient = refreshesAll || b.u(1) != 0;
    b.u(1);  // disable_cdf_update
    const std::uint32_t screenContentTools = s.screenContentTools == 2 ? b.u(1) : s.screenContentTools;
    if (screenContentTools && s.integerMv == 2) b.u(1);
    if (s.frameIds) b.u(s.idBits);
    const bool sizeGiven = type == 3 || b.u(1) != 0;
    b.u(s.orderHintBits);
    if (!intra && !errorResilient) b.u(3);  // primary reference frame
    if (s.decoderModel && b.u(1)) {
        for (const auto& [idc, model] : s.operatingPoints)
            if (model && (idc == 0 || ((idc >> temporalId & 1) && (idc >> (spatialId + 8) & 1))))
                b.u(s.removalTimeBits);
    }
    const std::uint32_t refresh = refreshesAll ? 0xFF : b.u(8);
    if ((!intra || refresh != 0xFF) && errorResilient && s.orderHintBits > 0)
        for (int i = 0; i < 8; ++i) b.u(s.orderHintBits);
    if (!intra) {
        const bool shortSignalling = s.orderHintBits > 0 && b.u(1) != 0;
        if (shortSignalling) b.u(6);
        for (int i = 0; i < 7; ++i) {
            if (!shortSignalling) b.u(3);
            if (s.frameIds) b.u(s.deltaIdBits);
        }
        if (sizeGiven && !errorResilient)
            for (int i = 0; i < 7; ++i)
                if (b.u(1)) return !b.exhausted();  // a reference frame's size
    }
    if (sizeGiven) {
        width = b.u(s.widthBits) + std::uint64_t{1};
        height = b.u(s.heightBits) + std::uint64_t{1};
    }
    return !b.exhausted();
}

// The bytes the AV1 decoder is handed for an item: its configuration OBUs, then its data, read through
// a window so that walking many small OBUs costs no read each.
class ItemBytes {
  public:
    explicit ItemBytes(const Input& in) : in_(in) {}
    void addMemory(const std::uint8_t* data, std::size_t size) { add({data, 0, size, size_}); }
    void addFile(std::uint64_t at, std::uint64_t size) { add({nullptr, at, size, size_}); }
    std::uint64_t size() const { return size_; }
    bool read(std::uint64_t at, std::uint8_t* out, std::size_t bytes) {
        if (bytes == 0) return true;
        if (at > size_ || bytes > size_ - at) return false;
        // The first part holding `at`: the last one starting at or before it.
        auto part = std::upper_bound(parts_.begin(), parts_.end(), at,
                                     [](std::uint64_t a, const Part& p) { return a < p.start; });
        for (--part; bytes > 0; ++part) {
            const std::uint64_t into = at - part->start;
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, part->size - into));
            if (part->memory) {
                std::memcpy(out, part->memory + into, n);
            } else {
                const std::uint64_t from = part->at + into;
                if (from < windowAt_ || from + n > windowAt_ + window_.size()) {
                    window_.resize(static_cast<std::size_t>(
                        std::min<std::uint64_t>(std::max<std::size_t>(n, kWindow), part->size - into)));
                    windowAt_ = from;
                    if (!readAt(in_, from, window_.data(), window_.size())) {
                        window_.clear();
                        return false;
                    }
                }
                std::memcpy(out, window_.data() + (from - windowAt_), n);
            }
            out += n, bytes -= n, at += n;
        }
        return true;
    }

  private:
    static constexpr std::size_t kWindow = 64 * 1024;
    struct Part {
        const std::uint8_t* memory;
        std::uint64_t at, size, start;  // in the file (or memory), its length, where it starts here
    };
    void add(const Part& part) {
        if (part.size == 0) return;
        parts_.push_back(part);
        size_ += part.size;
    }
    const Input& in_;
    std::vector<Part> parts_;
    std::uint64_t size_ = 0;
    std::vector<std::uint8_t> window_;
    std::uint64_t windowAt_ = 0;
};

// Every sequence header in the bytes, and every frame size a frame header gives explicitly, fit the pixel
// limit; `largest` gets the largest. False also when no sequence header comes before a frame, or one
// cannot be read, or (when `needSequence`) there is none. The decoder drops everything from a malformed
// OBU on, and so does the walk.
bool av1SizesWithinLimit(ItemBytes& bytes, std::uint64_t& largest, std::uint64_t& steps, bool needSequence) {
    // Far more than any sequence header, or frame header up to its size, takes.
    constexpr std::size_t kMaxHeaderBytes = 4096;
    std::optional<SequenceHeader> sequence;
    const std::uint64_t total = bytes.size();
    for (std::uint64_t at = 0; at < total;) {
        if (++steps > heif::kMaxSteps) return false;
        std::uint8_t head[10];  // header, extension, size
        const std::size_t got = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof head, total - at));
        if (!bytes.read(at, head, got)) return false;
        if (head[0] & 0x80) break;  // forbidden bit
        const int type = head[0] >> 3 & 15;
        std::size_t p = 1;
        int temporalId = 0, spatialId = 0;
        if (head[0] & 4) {
            if (p >= got) break;
            temporalId = head[p] >> 5, spatialId = head[p] >> 3 & 3;
            ++p;
        }
        std::uint64_t size = 0;
        bool sized = true;
        if (head[0] & 2) {
            for (int i = 0;; ++i) {
                if (i == 8 || p >= got) {
                    sized = false;
                    break;
                }
                size |= std::uint64_t{head[p] & 0x7Fu} << (7 * i);
                if (!(head[p++] & 0x80)) break;
            }
            if (!sized || size > total - at - p) break;
        } else {
            size = total - at - p;
        }
        const std::uint64_t payload = at + p;
        at = payload + size;
        // Sequence header; frame header, its redundant copy (taken when no frame header came first), frame.
        if (type != 1 && type != 3 && type != 6 && type != 7) continue;
        if (type != 1) {
            if (!sequence) return false;
            // Only a full sequence header lets a frame give its own size, up to what its size fields hold.
            if (sequence->reduced ||
                (std::uint64_t{1} << sequence->widthBits) * (std::uint64_t{1} << sequence->heightBits) <=
                    kMaxDeliveredPixels)
                continue;
        }
        std::vector<std::uint8_t> header(
            static_cast<std::size_t>(std::min<std::uint64_t>(size, kMaxHeaderBytes)));
        if (!bytes.read(payload, header.data(), header.size())) return false;
        Bits b(std::move(header));
        if (type == 1) {
            SequenceHeader s;
            if (!readSequenceHeader(b, s) || !withinLimit(s.maxWidth, s.maxHeight, largest)) return false;
            sequence = std::move(s);
            continue;
        }
        std::uint64_t width = 0, height = 0;
        if (!readFrameSize(b, *sequence, temporalId, spatialId, width, height) ||
            (width != 0 && !withinLimit(width, height, largest)))
            return false;
    }
    return sequence.has_value() || !needSequence;
}

// The item data a listing of it in iloc places, added to `bytes`; false when it lies outside the file or
// its idat, or in another item.
bool addPlace(const Input& in, const heif::Meta& meta, const heif::Location& place, ItemBytes& bytes,
              std::uint64_t& steps) {
    if (place.method > 1) return false;
    const bool inIdat = place.method == 1;
    const std::uint64_t start = inIdat ? meta.idatAt : 0;
    const std::uint64_t end = inIdat ? meta.idatAt + meta.idatSize : in.size;
    for (const auto& [offset, length] : place.extents) {
        if (++steps > heif::kMaxSteps || offset > end - start || length > end - start - offset) return false;
        bytes.addFile(start + offset, length == 0 ? end - start - offset : length);
    }
    return true;
}

// Every AV1 item's sequence headers and frame sizes fit the pixel limit. False also when its data cannot
// be found or holds no sequence header.
bool av1ItemsWithinLimit(const Input& in, const heif::Meta& meta, std::uint64_t& largest,
                         std::uint64_t& steps) {
    // Each configuration on its own too, in case libheif reads an association that is not read here.
    for (const heif::Property& property : meta.properties) {
        if (property.type != "av1C" || property.body.size() <= 4) continue;
        ItemBytes bytes(in);
        bytes.addMemory(property.body.data() + 4, property.body.size() - 4);
        if (!av1SizesWithinLimit(bytes, largest, steps, false)) return false;
    }
    for (const std::uint32_t id : itemsOf(meta, "av01")) {
        if (!meta.locationsRead) return false;
        const auto [firstConfiguration, endConfiguration] = meta.associations.equal_range(id);
        const auto [from, to] = meta.locations.equal_range(id);
        if (from == to) return false;
        for (auto entry = from; entry != to; ++entry) {
            ItemBytes bytes(in);
            for (auto c = firstConfiguration; c != endConfiguration; ++c) {
                const heif::Property& property = meta.properties[c->second.property];
                // After the four bytes of fields.
                if (property.type == "av1C" && property.body.size() > 4)
                    bytes.addMemory(property.body.data() + 4, property.body.size() - 4);
            }
            if (!addPlace(in, meta, entry->second, bytes, steps) ||
                !av1SizesWithinLimit(bytes, largest, steps, true))
                return false;
        }
    }
    return true;
}

// Derived images (a grid of tiles, an overlay) declare the size of the canvas libheif allocates for them
// in their own data: every one must fit the pixel limit. False also when their data cannot be found.
// A grid's tiles are decoded one by one, each at its coded size: all of them together may not decode more
// than twice the limit (a real grid's tiles cover its canvas with a little to spare).
bool derivedSizesWithinLimit(const Input& in, const heif::Meta& meta, std::uint64_t largestTile,
                             std::uint64_t& steps) {
    for (const bool overlay : {false, true}) {
        for (const std::uint32_t id : itemsOf(meta, overlay ? "iovl" : "grid")) {
            if (!meta.locationsRead) return false;
            for (auto [entry, to] = meta.locations.equal_range(id); entry != to; ++entry) {
                const heif::Location& location = entry->second;
                if (++steps > heif::kMaxSteps) return false;
                const int method = location.method;
                const std::uint64_t offset = location.extents.front().first;
                // version, flags, [fill values], then the output width and height in 16 or 32 bits.
                std::uint8_t d[32];
                const std::uint64_t at = method == 1 ? meta.idatAt + offset : offset;
                if (method > 1 || !readAt(in, at, d, 2)) return false;
                const std::size_t fields = overlay ? 10 : 4;
                const int sideBytes = (d[1] & 1) ? 4 : 2;
                const std::size_t need = fields + 2 * static_cast<std::size_t>(sideBytes);
                if ((method == 1 && offset + need > meta.idatSize) || !readAt(in, at, d, need)) return false;
                const std::uint64_t w = bigEndian(d + fields, sideBytes),
                                    h = bigEndian(d + fields + sideBytes, sideBytes);
                if (w == 0 || h == 0 || w * h > kMaxDeliveredPixels) return false;
                if (!overlay && (std::uint64_t{d[2]} + 1) * (std::uint64_t{d[3]} + 1) * largestTile >
                                    2 * kMaxDeliveredPixels)
                    return false;
            }
        }
    }
    return true;
}

// An HEVC decoder takes the parameter sets that come with an item's coded data over those of its hvcC, so
// their sizes count too.
bool inBandSizesWithinLimit(const Input& in, const heif::Meta& meta, std::uint64_t& largest,
                            std::uint64_t& steps) {
    for (const std::uint32_t id : itemsOf(meta, "hvc1")) {
        if (!meta.locationsRead) return false;
        int lengthBytes = 4;
        for (auto [c, end] = meta.associations.equal_range(id); c != end; ++c) {
            const heif::Property& property = meta.properties[c->second.property];
            if (property.type == "hvcC" && property.body.size() > 21)
                lengthBytes = (property.body[21] & 3) + 1;
        }
        for (auto [entry, to] = meta.locations.equal_range(id); entry != to; ++entry) {
            ItemBytes bytes(in);
            if (!addPlace(in, meta, entry->second, bytes, steps)) return false;
            // NAL units, each after its length; a cut one ends the walk as it ends the decoding.
            for (std::uint64_t at = 0; at < bytes.size();) {
                if (++steps > heif::kMaxSteps) return false;
                std::uint8_t head[6];
                if (!bytes.read(at, head, static_cast<std::size_t>(lengthBytes) + 2)) break;
                const std::uint64_t length = bigEndian(head, lengthBytes);
                if (((head[lengthBytes] >> 1) & 0x3F) == 33) {
                    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(
                        {length, bytes.size() - at - static_cast<std::uint64_t>(lengthBytes), 1024}));
                    std::vector<std::uint8_t> nal(n);
                    if (!bytes.read(at + static_cast<std::uint64_t>(lengthBytes), nal.data(), n))
                        return false;
                    const auto [w, h] = spsSize(nal.data(), n);
                    if (!withinLimit(w, h, largest)) return false;
                }
                at += static_cast<std::uint64_t>(lengthBytes) + length;
            }
        }
    }
    return true;
}

}  // namespace

bool declaredSizesWithinLimit(const Input& in) {
    const std::optional<heif::Meta> meta = heif::readMeta(in);
    std::uint64_t largest = 0, steps = meta ? meta->steps : 0;
    return meta && hevcSizesWithinLimit(*meta, largest) &&
           inBandSizesWithinLimit(in, *meta, largest, steps) &&
           av1ItemsWithinLimit(in, *meta, largest, steps) &&
           derivedSizesWithinLimit(in, *meta, largest, steps);
}

}  // namespace tessary::image::decode
