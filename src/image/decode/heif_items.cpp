// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/decode/heif_items.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tessary::image::decode::heif {
namespace {

constexpr std::uint64_t kMaxMetaBytes = 16 * 1024 * 1024;
constexpr std::size_t kMaxAssociations = 1024;

// Big-endian fields of a box's content; reading past the end sets `bad` and gives zeros.
class Fields {
  public:
    Fields(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint64_t uint(int bytes) {
        if (bytes < 0 || static_cast<std::size_t>(bytes) > size_ - std::min(at_, size_)) {
            bad = true;
            at_ = size_;
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < bytes; ++i) v = v << 8 | data_[at_++];
        return v;
    }
    std::string fourcc() {
        if (size_ - std::min(at_, size_) < 4) {
            bad = true;
            at_ = size_;
            return {};
        }
        at_ += 4;
        return std::string(reinterpret_cast<const char*>(data_ + at_ - 4), 4);
    }
    std::size_t left() const { return size_ - std::min(at_, size_); }
    const std::uint8_t* here() const { return data_ + std::min(at_, size_); }
    bool bad = false;

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

struct Box {
    std::string type;
    const std::uint8_t* body;
    std::size_t size;
    std::size_t at;  // of the body, within the parent's content
};

// The boxes of a content, in order; nullopt when one does not fit.
std::optional<std::vector<Box>> boxes(const std::uint8_t* data, std::size_t size) {
    std::vector<Box> out;
    for (std::size_t at = 0; at < size;) {
        if (size - at < 8) return std::nullopt;
        Fields f(data + at, size - at);
        std::uint64_t boxSize = f.uint(4);
        std::string type = f.fourcc();
        std::size_t header = 8;
        if (boxSize == 1) {
            boxSize = f.uint(8);
            header = 16;
        } else if (boxSize == 0) {
            boxSize = size - at;
        }
        if (f.bad || boxSize < header || boxSize > size - at) return std::nullopt;
        out.push_back(
            {std::move(type), data + at + header, static_cast<std::size_t>(boxSize) - header, at + header});
        at += static_cast<std::size_t>(boxSize);
    }
    return out;
}

Item* find(Meta& meta, std::uint32_t id) {
    const auto at = meta.byId.find(id);
    return at == meta.byId.end() ? nullptr : &meta.items[at->second];
}

bool readItemInfo(Meta& meta, const Box& iinf) {
    Fields f(iinf.body, iinf.size);
    const int version = static_cast<int>(f.uint(1));
    f.uint(3);
    f.uint(version == 0 ? 2 : 4);
    if (f.bad) return false;
    const auto entries = boxes(f.here(), f.left());
    if (!entries) return false;
    for (const Box& entry : *entries) {
        if (entry.type != "infe") continue;
        Fields e(entry.body, entry.size);
        const int infeVersion = static_cast<int>(e.uint(1));
        e.uint(3);
        if (infeVersion < 2) continue;  // no item type in the old forms
        Item item;
        item.id = static_cast<std::uint32_t>(e.uint(infeVersion == 2 ? 2 : 4));
        e.uint(2);
        item.type = e.fourcc();
        if (e.bad) return false;
        if (!meta.byId.emplace(item.id, meta.items.size()).second) return false;
        meta.items.push_back(std::move(item));
    }
    return true;
}

bool readLocations(Meta& meta, const Box& iloc, std::uint64_t idatAt, std::uint64_t idatSize, bool idat) {
    Fields f(iloc.body, iloc.size);
    const int version = static_cast<int>(f.uint(1));
    f.uint(3);
    if (version > 2) return false;
    const std::uint64_t sizes = f.uint(2);
    const int offsetBytes = static_cast<int>(sizes >> 12), lengthBytes = static_cast<int>(sizes >> 8 & 15),
              baseBytes = static_cast<int>(sizes >> 4 & 15);
    const int indexBytes = version >= 1 ? static_cast<int>(sizes & 15) : 0;
    auto valid = [](int n) { return n == 0 || n == 4 || n == 8; };
    if (!valid(offsetBytes) || !valid(lengthBytes) || !valid(baseBytes) || !valid(indexBytes)) return false;
    for (std::uint64_t count = f.uint(version < 2 ? 2 : 4); count > 0 && !f.bad; --count) {
        const auto id = static_cast<std::uint32_t>(f.uint(version < 2 ? 2 : 4));
        const std::uint64_t method = version >= 1 ? f.uint(2) & 15 : 0;
        const std::uint64_t dataReference = f.uint(2);
        const std::uint64_t base = f.uint(baseBytes);
        std::uint64_t extents = f.uint(2);
        Item* item = find(meta, id);
        bool located = (method == 0 && dataReference == 0) || (method == 1 && idat);
        std::vector<std::pair<std::uint64_t, std::uint64_t>> places;
        for (; extents > 0 && !f.bad; --extents) {
            f.uint(indexBytes);
            const std::uint64_t offset = f.uint(offsetBytes), length = f.uint(lengthBytes);
            constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max() / 4;
            if (offset > kMax || base > kMax || length > kMax || length == 0) {
                located = false;
                continue;
            }
            if (method == 1) {
                if (base + offset + length > idatSize) located = false;
                places.push_back({idatAt + base + offset, length});
            } else {
                places.push_back({base + offset, length});
            }
        }
        if (item && !places.empty()) {
            item->located = located;
            item->extents = std::move(places);
        }
    }
    return !f.bad;
}

bool readReferences(Meta& meta, const Box& iref) {
    Fields f(iref.body, iref.size);
    const int version = static_cast<int>(f.uint(1));
    f.uint(3);
    if (f.bad || version > 1) return false;
    const auto refs = boxes(f.here(), f.left());
    if (!refs) return false;
    const int idBytes = version == 0 ? 2 : 4;
    for (const Box& ref : *refs) {
        Fields r(ref.body, ref.size);
        Item* from = find(meta, static_cast<std::uint32_t>(r.uint(idBytes)));
        Reference reference{ref.type, {}};
        for (std::uint64_t count = r.uint(2); count > 0 && !r.bad; --count)
            reference.to.push_back(static_cast<std::uint32_t>(r.uint(idBytes)));
        if (r.bad) return false;
        if (from) from->references.push_back(std::move(reference));
    }
    return true;
}

bool readProperties(Meta& meta, const Box& iprp) {
    const auto parts = boxes(iprp.body, iprp.size);
    if (!parts) return false;
    for (const Box& part : *parts) {
        if (part.type == "ipco") {
            if (!meta.properties.empty()) return false;
            const auto properties = boxes(part.body, part.size);
            if (!properties) return false;
            for (const Box& p : *properties)
                meta.properties.push_back({p.type, std::vector<std::uint8_t>(p.body, p.body + p.size)});
        }
    }
    for (const Box& part : *parts) {
        if (part.type != "ipma") continue;
        Fields f(part.body, part.size);
        const int version = static_cast<int>(f.uint(1));
        const bool wide = (f.uint(3) & 1) != 0;
        for (std::uint64_t entries = f.uint(4); entries > 0 && !f.bad; --entries) {
            Item* item = find(meta, static_cast<std::uint32_t>(f.uint(version < 1 ? 2 : 4)));
            for (std::uint64_t n = f.uint(1); n > 0 && !f.bad; --n) {
                const std::uint64_t v = f.uint(wide ? 2 : 1);
                const std::uint64_t index = v & (wide ? 0x7FFF : 0x7F);
                const bool essential = (v >> (wide ? 15 : 7)) != 0;
                if (index == 0) continue;  // no property
                if (index > meta.properties.size()) return false;
                if (!item) continue;
                // A real item has a handful; thousands would only make every look-up slow.
                if (item->properties.size() >= kMaxAssociations) return false;
                item->properties.push_back({static_cast<std::uint16_t>(index - 1), essential});
            }
        }
        if (f.bad) return false;
    }
    return true;
}

}  // namespace

const Item* Meta::item(std::uint32_t id) const {
    const auto at = byId.find(id);
    return at == byId.end() ? nullptr : &items[at->second];
}

const Property* Meta::property(const Item& item, std::string_view type) const {
    for (const Item::Association& a : item.properties)
        if (properties[a.property].type == type) return &properties[a.property];
    return nullptr;
}

std::vector<std::uint32_t> Meta::references(const Item& item, std::string_view type) const {
    std::vector<std::uint32_t> out;
    for (const Reference& r : item.references)
        if (r.type == type) out.insert(out.end(), r.to.begin(), r.to.end());
    return out;
}

bool Meta::referredTo(std::uint32_t id, std::string_view type) const {
    for (const Item& i : items)
        for (const Reference& r : i.references)
            if (r.type == type && std::find(r.to.begin(), r.to.end(), id) != r.to.end()) return true;
    return false;
}

std::optional<Meta> readMeta(const Input& in) {
    for (std::uint64_t at = 0; at + 8 <= in.size;) {
        std::uint8_t head[16];
        if (!readAt(in, at, head, 8)) return std::nullopt;
        Fields f(head, 8);
        std::uint64_t boxSize = f.uint(4);
        const std::string type = f.fourcc();
        std::uint64_t header = 8;
        if (boxSize == 1) {
            if (!readAt(in, at + 8, head + 8, 8)) return std::nullopt;
            Fields wide(head + 8, 8);
            boxSize = wide.uint(8);
            header = 16;
        } else if (boxSize == 0) {
            boxSize = in.size - at;
        }
        if (boxSize < header || boxSize > in.size - at) return std::nullopt;
        if (type != "meta") {
            at += boxSize;
            continue;
        }
        if (boxSize - header < 4 || boxSize > kMaxMetaBytes) return std::nullopt;
        const std::uint64_t contentAt = at + header + 4;
        std::vector<std::uint8_t> content(static_cast<std::size_t>(boxSize - header - 4));
        if (!readAt(in, contentAt, content.data(), content.size())) return std::nullopt;
        const auto parts = boxes(content.data(), content.size());
        if (!parts) return std::nullopt;
        Meta meta;
        const Box* iloc = nullptr;
        std::uint64_t idatAt = 0, idatSize = 0;
        bool idat = false;
        for (const Box& part : *parts) {
            if (part.type == "iinf" && !readItemInfo(meta, part)) return std::nullopt;
            if (part.type == "pitm") {
                Fields p(part.body, part.size);
                const int version = static_cast<int>(p.uint(1));
                p.uint(3);
                meta.primary = static_cast<std::uint32_t>(p.uint(version == 0 ? 2 : 4));
                if (p.bad) return std::nullopt;
            }
            if (part.type == "iloc") iloc = &part;
            if (part.type == "idat") idatAt = contentAt + part.at, idatSize = part.size, idat = true;
        }
        for (const Box& part : *parts) {
            if (part.type == "iref" && !readReferences(meta, part)) return std::nullopt;
            if (part.type == "iprp" && !readProperties(meta, part)) return std::nullopt;
        }
        if (!iloc || !readLocations(meta, *iloc, idatAt, idatSize, idat)) return std::nullopt;
        return meta;
    }
    return std::nullopt;
}

bool readItem(const Input& in, const Item& item, std::uint64_t limit, std::vector<std::uint8_t>& out) {
    out.clear();
    if (!item.located) return false;
    std::uint64_t total = 0;
    for (const auto& [offset, length] : item.extents) {
        if (offset > in.size || length > in.size - offset || length > limit - std::min(total, limit))
            return false;
        total += length;
    }
    out.resize(static_cast<std::size_t>(total));
    std::size_t at = 0;
    for (const auto& [offset, length] : item.extents) {
        if (!readAt(in, offset, out.data() + at, static_cast<std::size_t>(length))) return false;
        at += static_cast<std::size_t>(length);
    }
    return true;
}

}  // namespace tessary::image::decode::heif
