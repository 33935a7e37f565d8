// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The item structure of a HEIF file (HEIC, AVIF) as its meta box declares it: the items with their types,
// where their data lies, their properties and references. Nothing of picture size is read here.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "image/decode/decoders.h"

namespace tessary::image::decode::heif {

struct Property {
    std::string type;
    std::vector<std::uint8_t> body;  // the box's content after its 8-byte header
};

struct Reference {
    std::string type;  // "dimg", "auxl", "thmb", ...
    std::vector<std::uint32_t> to;
};

struct Item {
    std::uint32_t id = 0;
    std::string type;  // "hvc1", "av01", "grid", "iovl", "Exif", ...
    // Where its data lies in the file, in order. `located` is false when iloc does not place it, or places
    // it where this reader does not follow (another file, another item).
    bool located = false;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> extents;  // absolute offset, length
    struct Association {
        std::uint16_t property;  // index into Meta::properties, from 0
        bool essential;
    };
    std::vector<Association> properties;  // in the order they apply
    std::vector<Reference> references;    // from this item
};

struct Meta {
    std::uint32_t primary = 0;
    std::vector<Item> items;
    std::vector<Property> properties;
    std::unordered_map<std::uint32_t, std::size_t> byId;  // item id: its place in `items`

    const Item* item(std::uint32_t id) const;
    // The item's first property of a type; nullptr when it has none.
    const Property* property(const Item& item, std::string_view type) const;
    // The items an item refers to with a reference of a type, in order.
    std::vector<std::uint32_t> references(const Item& item, std::string_view type) const;
    // Whether any item refers to `id` with a reference of a type.
    bool referredTo(std::uint32_t id, std::string_view type) const;
};

// The meta box of the file (at most 16 MiB of it); nullopt when there is none or it does not parse.
std::optional<Meta> readMeta(const Input& in);

// An item's data whole; false when it is not located, lies outside the file or is longer than `limit`.
bool readItem(const Input& in, const Item& item, std::uint64_t limit, std::vector<std::uint8_t>& out);

}  // namespace tessary::image::decode::heif
