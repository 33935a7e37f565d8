// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/decode/heif_items.h"

#include <algorithm>
#include <limits>

namespace tessary::image::decode::heif {
namespace {

constexpr std::uint64_t kMaxMetaBytes = 16 * 1024 * 1024;

// Big-endian fields of a box's content; reading past the end sets `bad` and gives zeros.
class Fields {
  public:
    Fields(std::span<const std::uint8_t> data) : data_(data) {}
    std::uint64_t uint(int bytes) {
        if (bytes < 0 || static_cast<std::size_t>(bytes) > left()) {
            bad = true;
            at_ = data_.size();
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < bytes; ++i) v = v << 8 | data_[at_++];
        return v;
    }
    std::string fourcc() {
        if (left() < 4) {
            bad = true;
            at_ = data_.size();
            return {};
        }
        at_ += 4;
        return std::string(reinterpret_cast<const char*>(data_.data() + at_ - 4), 4);
    }
    std::size_t left() const { return data_.size() - at_; }
    std::span<const std::uint8_t> rest() const { return data_.subspan(at_); }
    bool bad = false;

  private:
    std::span<const std::uint8_t> data_;
    std::size_t at_ = 0;
};

struct Box {
    std::string type;
    std::span<const std::uint8_t> body;
};

// The boxes of a content, in order, up to one that does not fit (or a 64-bit size, which nothing inside a
// meta box needs); `cut` tells that one, or bytes too few for a box after the last.
struct Boxes {
    std::vector<Box> boxes;
    bool malformed = false, cut = false;
};

Boxes boxesOf(std::span<const std::uint8_t> content) {
    Boxes out;
    std::size_t at = 0;
    for (; content.size() - at >= 8;) {
        Fields f(content.subspan(at));
        std::uint64_t size = f.uint(4);
        std::string type = f.fourcc();
        if (size == 0) size = content.size() - at;
        if (size < 8 || size > content.size() - at) {
            out.malformed = out.cut = true;
            return out;
        }
        out.boxes.push_back({std::move(type), content.subspan(at + 8, static_cast<std::size_t>(size) - 8)});
        at += static_cast<std::size_t>(size);
    }
    out.cut = at != content.size();
    return out;
}

class Reader {
  public:
    explicit Reader(Meta& meta) : meta_(meta) {}

    // False when the tables take more than the step budget.
    bool step(std::uint64_t n = 1) {
        meta_.steps += n;
        return meta_.steps <= kMaxSteps;
    }

    bool itemInfo(const Box& iinf) {
        Fields f(iinf.body);
        const int version = static_cast<int>(f.uint(1));
        f.uint(3);
        f.uint(version == 0 ? 2 : 4);
        const Boxes entries = boxesOf(f.rest());
        if (f.bad || entries.cut) meta_.whole = false;
        for (const Box& entry : entries.boxes) {
            if (entry.type != "infe") continue;
            Fields e(entry.body);
            const int infeVersion = static_cast<int>(e.uint(1));
            e.uint(3);
            if (infeVersion < 2) continue;  // no item type in the old forms
            Item item;
            item.id = static_cast<std::uint32_t>(e.uint(infeVersion == 2 ? 2 : 4));
            e.uint(2);
            item.type = e.fourcc();
            if (e.bad) {
                meta_.whole = false;
                continue;
            }
            if (!step()) return false;
            if (!meta_.byId.emplace(item.id, meta_.items.size()).second) meta_.whole = false;
            meta_.items.push_back(std::move(item));
        }
        return true;
    }

    bool locations(const Box& iloc) {
        Fields f(iloc.body);
        const int version = static_cast<int>(f.uint(1));
        f.uint(3);
        const std::uint64_t sizes = f.uint(2);
        const int offsetBytes = static_cast<int>(sizes >> 12),
                  lengthBytes = static_cast<int>(sizes >> 8 & 15),
                  baseBytes = static_cast<int>(sizes >> 4 & 15);
        const int indexBytes = version == 1 || version == 2 ? static_cast<int>(sizes & 15) : 0;
        // Sizes other than 0, 4 and 8 bytes are read as they say, as libheif reads them.
        auto valid = [](int n) { return n == 0 || n == 4 || n == 8; };
        if (!valid(offsetBytes) || !valid(lengthBytes) || !valid(baseBytes) || !valid(indexBytes))
            meta_.whole = false;
        if (version > 2) return true;  // libheif reads no other
        for (std::uint64_t count = f.uint(version < 2 ? 2 : 4); count > 0 && !f.bad; --count) {
            const auto id = static_cast<std::uint32_t>(f.uint(version < 2 ? 2 : 4));
            Location place;
            if (version >= 1) place.method = static_cast<int>(f.uint(2) & 15);
            place.dataReference = f.uint(2);
            const std::uint64_t base = f.uint(baseBytes);
            const std::uint64_t extents = f.uint(2);
            if (f.bad || extents == 0) return true;  // not read whole
            if (!step(1 + extents)) return false;
            for (std::uint64_t e = 0; e < extents && !f.bad; ++e) {
                f.uint(indexBytes);
                const std::uint64_t offset = f.uint(offsetBytes), length = f.uint(lengthBytes);
                constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max() / 4;
                if (offset > kMax || base > kMax || length > kMax || length == 0) place.sound = false;
                place.extents.push_back({base + offset, length});
            }
            meta_.locations.emplace(id, std::move(place));
        }
        meta_.locationsRead = !f.bad;
        return true;
    }

    bool references(const Box& iref) {
        Fields f(iref.body);
        const int version = static_cast<int>(f.uint(1));
        f.uint(3);
        const Boxes refs = boxesOf(f.rest());
        if (f.bad || version > 1 || refs.cut) meta_.whole = false;
        if (f.bad || version > 1) return true;
        const int idBytes = version == 0 ? 2 : 4;
        for (const Box& box : refs.boxes) {
            Fields r(box.body);
            Reference reference{static_cast<std::uint32_t>(r.uint(idBytes)), box.type, {}};
            for (std::uint64_t count = r.uint(2); count > 0 && !r.bad; --count) {
                const auto to = static_cast<std::uint32_t>(r.uint(idBytes));
                if (!r.bad) reference.to.push_back(to);
                if (!step()) return false;
            }
            if (r.bad) meta_.whole = false;
            meta_.links.push_back(std::move(reference));
        }
        return true;
    }

    // Associations are taken as far as the box holds them, as libheif takes a cut one.
    bool associations(std::span<const std::uint8_t> ipma) {
        Fields f(ipma);
        const int version = static_cast<int>(f.uint(1));
        const bool wide = (f.uint(3) & 1) != 0;
        for (std::uint64_t entries = f.uint(4); entries > 0 && !f.bad; --entries) {
            const auto id = static_cast<std::uint32_t>(f.uint(version < 1 ? 2 : 4));
            for (std::uint64_t n = f.uint(1); n > 0 && !f.bad; --n) {
                const std::uint64_t v = f.uint(wide ? 2 : 1);
                if (f.bad) break;
                const std::uint64_t index = v & (wide ? 0x7FFF : 0x7F);
                if (index == 0) continue;  // no property
                if (index > meta_.properties.size()) {
                    meta_.whole = false;
                    continue;
                }
                if (!step()) return false;
                meta_.associations.emplace(
                    id, Association{static_cast<std::size_t>(index - 1), (v >> (wide ? 15 : 7)) != 0});
            }
        }
        if (f.bad) meta_.whole = false;
        return true;
    }

    // False when its boxes or those of a property container do not fit.
    bool properties(const Box& iprp) {
        const Boxes parts = boxesOf(iprp.body);
        if (parts.malformed) return false;
        if (parts.cut) meta_.whole = false;
        for (const Box& part : parts.boxes) {
            if (part.type != "ipco") continue;
            if (!meta_.properties.empty()) meta_.whole = false;
            const Boxes properties = boxesOf(part.body);
            if (properties.malformed) return false;
            if (properties.cut) meta_.whole = false;
            for (const Box& p : properties.boxes) meta_.properties.push_back({p.type, p.body});
        }
        for (const Box& part : parts.boxes)
            if (part.type == "ipma" && !associations(part.body)) return false;
        return true;
    }

  private:
    Meta& meta_;
};

// Where the meta box's content (after its version and flags) lies in the file; nullopt without one, or when
// the boxes before it do not fit the file.
std::optional<std::pair<std::uint64_t, std::uint64_t>> findMeta(const Input& in) {
    for (std::uint64_t at = 0; at + 8 <= in.size;) {
        std::uint8_t head[16];
        if (!readAt(in, at, head, 8)) return std::nullopt;
        Fields f({head, 8});
        std::uint64_t boxSize = f.uint(4);
        const std::string type = f.fourcc();
        std::uint64_t header = 8;
        if (boxSize == 1) {
            if (!readAt(in, at + 8, head + 8, 8)) return std::nullopt;
            boxSize = Fields({head + 8, 8}).uint(8);
            header = 16;
        } else if (boxSize == 0) {
            boxSize = in.size - at;
        }
        if (boxSize < header || boxSize > in.size - at) return std::nullopt;
        if (type == "meta") {
            if (boxSize - header < 4 || boxSize > kMaxMetaBytes) return std::nullopt;
            return std::pair{at + header + 4, boxSize - header - 4};
        }
        at += boxSize;
    }
    return std::nullopt;
}

}  // namespace

const Item* Meta::item(std::uint32_t id) const {
    const auto at = byId.find(id);
    return at == byId.end() ? nullptr : &items[at->second];
}

const Property* Meta::property(std::uint32_t id, std::string_view type) const {
    for (auto [a, end] = associations.equal_range(id); a != end; ++a)
        if (properties[a->second.property].type == type) return &properties[a->second.property];
    return nullptr;
}

std::vector<std::uint32_t> Meta::references(std::uint32_t id, std::string_view type) const {
    std::vector<std::uint32_t> out;
    for (const Reference& r : links)
        if (r.from == id && r.type == type) out.insert(out.end(), r.to.begin(), r.to.end());
    return out;
}

bool Meta::referredTo(std::uint32_t id, std::string_view type) const {
    for (const Reference& r : links)
        if (r.type == type && std::find(r.to.begin(), r.to.end(), id) != r.to.end()) return true;
    return false;
}

std::vector<std::pair<std::uint64_t, std::uint64_t>> Meta::placeOf(std::uint32_t id) const {
    const auto [first, end] = locations.equal_range(id);
    if (first == end || std::next(first) != end) return {};
    const Location& place = first->second;
    // A data reference names another file for data in the file; idat is this one's.
    if (!place.sound || place.method > 1 || (place.method == 0 ? place.dataReference != 0 : !idat)) return {};
    std::vector<std::pair<std::uint64_t, std::uint64_t>> out;
    for (const auto& [offset, length] : place.extents) {
        if (place.method == 1 && offset + length > idatSize) return {};
        out.push_back({place.method == 1 ? idatAt + offset : offset, length});
    }
    return out;
}

std::optional<Meta> readMeta(const Input& in) {
    const auto where = findMeta(in);
    if (!where) return std::nullopt;
    Meta meta;
    meta.content.resize(static_cast<std::size_t>(where->second));
    if (!readAt(in, where->first, meta.content.data(), meta.content.size())) return std::nullopt;
    const Boxes parts = boxesOf(meta.content);
    if (parts.malformed) return std::nullopt;
    if (parts.cut) meta.whole = false;
    Reader read(meta);
    const Box* iloc = nullptr;
    for (const Box& part : parts.boxes) {
        if (part.type == "iinf" && !read.itemInfo(part)) return std::nullopt;
        if (part.type == "pitm") {
            Fields p(part.body);
            const int version = static_cast<int>(p.uint(1));
            p.uint(3);
            meta.primary = static_cast<std::uint32_t>(p.uint(version == 0 ? 2 : 4));
            if (p.bad) meta.whole = false;
        }
        if (part.type == "iloc") iloc = &part;
        if (part.type == "idat") {
            meta.idatAt = where->first + static_cast<std::uint64_t>(part.body.data() - meta.content.data());
            meta.idatSize = part.body.size();
            meta.idat = true;
        }
    }
    for (const Box& part : parts.boxes) {
        if (part.type == "iref" && !read.references(part)) return std::nullopt;
        if (part.type == "iprp" && !read.properties(part)) return std::nullopt;
    }
    if (iloc && !read.locations(*iloc)) return std::nullopt;
    if (!meta.locationsRead) meta.whole = false;
    return meta;
}

bool readItem(const Input& in, const Meta& meta, std::uint32_t id, std::uint64_t limit,
              std::vector<std::uint8_t>& out) {
    out.clear();
    const auto extents = meta.placeOf(id);
    if (extents.empty()) return false;
    std::uint64_t total = 0;
    for (const auto& [offset, length] : extents) {
        if (offset > in.size || length > in.size - offset || length > limit - std::min(total, limit))
            return false;
        total += length;
    }
    out.resize(static_cast<std::size_t>(total));
    std::size_t at = 0;
    for (const auto& [offset, length] : extents) {
        if (!readAt(in, offset, out.data() + at, static_cast<std::size_t>(length))) return false;
        at += static_cast<std::size_t>(length);
    }
    return true;
}

}  // namespace tessary::image::decode::heif
