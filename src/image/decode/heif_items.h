// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The item tables of a HEIF file (HEIC, AVIF) as its meta box declares them: the items with their types,
// where their data lies, their properties and references. Read as tolerantly as libheif reads them (a cut
// table is taken as far as it goes, an item listed twice is kept twice), so that the size checks see
// whatever libheif will decode; `whole` says whether anything had to be tolerated. Nothing of picture size is
// read here.
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "image/decode/decoders.h"

namespace tessary::image::decode::heif {

// Steps (item listings and extents, property associations and references, then the OBUs, extents and derived
// images the size checks walk) over a whole file: far more than any real picture needs, and few enough that
// a file listing the same data over and over is refused quickly and without a large index.
inline constexpr std::uint64_t kMaxSteps = 1 << 20;

struct Property {
    std::string type;
    std::span<const std::uint8_t> body;  // the box's content after its 8-byte header, within Meta::content
};

struct Item {
    std::uint32_t id = 0;
    std::string type;  // "hvc1", "av01", "grid", "iovl", "Exif", ...
};

struct Location {
    int method = 0;                   // 0: in the file, 1: in idat, 2: in another item
    std::uint64_t dataReference = 0;  // 0: this file
    bool sound = true;                // no extent empty or beyond 64-bit arithmetic
    std::vector<std::pair<std::uint64_t, std::uint64_t>> extents;  // offset from the file's or idat's start,
                                                                   // length (0: to the end)
};

struct Association {
    std::size_t property;  // index into Meta::properties
    bool essential;
};

struct Reference {
    std::uint32_t from = 0;
    std::string type;  // "dimg", "auxl", "thmb", ...
    std::vector<std::uint32_t> to;
};

struct Meta {
    Meta() = default;
    Meta(Meta&&) = default;
    Meta& operator=(Meta&&) = default;
    Meta(const Meta&) = delete;  // the properties point into `content`
    Meta& operator=(const Meta&) = delete;

    std::vector<std::uint8_t> content;  // the meta box's, after its version and flags
    std::uint32_t primary = 0;
    std::vector<Item> items;                           // as iinf lists them
    std::multimap<std::uint32_t, Location> locations;  // every listing of an item in iloc
    bool locationsRead = false;                        // there is an iloc and it was read whole
    std::uint64_t idatAt = 0, idatSize = 0;            // the idat content, in the file
    bool idat = false;
    std::vector<Property> properties;
    std::multimap<std::uint32_t, Association> associations;  // item: its properties, in the order they apply
    std::vector<Reference> links;                            // iref
    // Nothing was cut, listed twice, of an unknown version or out of range: every table is as a strict reader
    // would take it.
    bool whole = true;
    std::uint64_t steps = 0;  // of kMaxSteps, taken so far

    // The item of this id (the first, should it be listed twice); nullptr when there is none.
    const Item* item(std::uint32_t id) const;
    // The item's first property of a type; nullptr when it has none.
    const Property* property(std::uint32_t id, std::string_view type) const;
    // The items an item refers to with a reference of a type, in order.
    std::vector<std::uint32_t> references(std::uint32_t id, std::string_view type) const;
    // Whether any item refers to `id` with a reference of a type.
    bool referredTo(std::uint32_t id, std::string_view type) const;
    // Where the item's data lies in the file when iloc lists it once, in this file, with sound extents;
    // empty otherwise.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> placeOf(std::uint32_t id) const;

    std::unordered_map<std::uint32_t, std::size_t> byId;  // item id: its first place in `items`
};

// The meta box of the file (at most 16 MiB of it). nullopt when there is none, when the boxes of the file,
// of the meta box or of its properties do not fit one another, or when its tables take more than kMaxSteps.
std::optional<Meta> readMeta(const Input& in);

// An item's data whole (see Meta::placeOf); false when it is not placed, lies outside the file or is longer
// than `limit`.
bool readItem(const Input& in, const Meta& meta, std::uint32_t id, std::uint64_t limit,
              std::vector<std::uint8_t>& out);

}  // namespace tessary::image::decode::heif
