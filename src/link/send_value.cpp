// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/send_value.h"

#include <bit>
#include <type_traits>

namespace tessary::link {
namespace {

template <class U>
Bytes littleEndian(U u) {
    static_assert(std::is_unsigned_v<U>);
    Bytes out(sizeof(U));
    for (std::size_t i = 0; i < sizeof(U); ++i) out[i] = static_cast<std::uint8_t>(u >> (8 * i));
    return out;
}

struct ByteForm {
    std::optional<Bytes> operator()(std::uint8_t v) const { return Bytes{v}; }
    std::optional<Bytes> operator()(std::int16_t v) const {
        return littleEndian(static_cast<std::uint16_t>(v));
    }
    std::optional<Bytes> operator()(std::int32_t v) const {
        return littleEndian(static_cast<std::uint32_t>(v));
    }
    std::optional<Bytes> operator()(std::int64_t v) const {
        return littleEndian(static_cast<std::uint64_t>(v));
    }
    std::optional<Bytes> operator()(float v) const { return littleEndian(std::bit_cast<std::uint32_t>(v)); }
    std::optional<Bytes> operator()(double v) const { return littleEndian(std::bit_cast<std::uint64_t>(v)); }
    std::optional<Bytes> operator()(Boolean v) const { return littleEndian(std::uint32_t{v.value}); }
    std::optional<Bytes> operator()(DateTime v) const {
        return littleEndian(std::bit_cast<std::uint64_t>(v.days));
    }
    std::optional<Bytes> operator()(SubroutinePointer v) const { return littleEndian(v.address); }
    std::optional<Bytes> operator()(const std::string& v) const { return Bytes(v.begin(), v.end()); }
    std::optional<Bytes> operator()(const Bytes& v) const { return v; }
    std::optional<Bytes> operator()(OtherValue) const { return std::nullopt; }
};

}  // namespace

std::optional<Bytes> byteForm(const SendValue& value) { return std::visit(ByteForm{}, value); }

}  // namespace tessary::link
