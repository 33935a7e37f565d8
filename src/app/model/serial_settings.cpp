// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/model/serial_settings.h"

#include "app/model/properties.h"
#include "app/model/property_rules.h"

namespace tessary {

namespace {

void putInt(Bytes& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

class Reader {
  public:
    explicit Reader(const Bytes& b) : b_(b) {}
    bool readInt(std::int32_t& v) {
        if (b_.size() - pos_ < 4) return false;
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u |= std::uint32_t{b_[pos_ + i]} << (8 * i);
        pos_ += 4;
        v = static_cast<std::int32_t>(u);
        return true;
    }
    bool readText(std::string& s, std::int32_t length) {
        if (length < 0 || b_.size() - pos_ < static_cast<std::size_t>(length)) return false;
        s.assign(b_.begin() + static_cast<std::ptrdiff_t>(pos_),
                 b_.begin() + static_cast<std::ptrdiff_t>(pos_ + length));
        pos_ += static_cast<std::size_t>(length);
        return true;
    }

  private:
    const Bytes& b_;
    std::size_t pos_ = 0;
};

std::int32_t adjusted(int number, std::int32_t v) {
    return asInt(normaliseProperty(Kind::SerialPort, number, v));
}

}  // namespace

Bytes encodeSerialSettings(const SerialSettings& s) {
    Bytes out;
    putInt(out, kSerialSettingsVersion);
    putInt(out, s.portNumber);
    putInt(out, s.baudRate);
    putInt(out, s.dataBits);
    putInt(out, s.stopBits);
    putInt(out, s.parityCheck ? 1 : 0);
    putInt(out, s.timeout);
    putInt(out, s.openOnCreate ? 1 : 0);
    putInt(out, static_cast<std::int32_t>(s.eventChar.size()));
    out.insert(out.end(), s.eventChar.begin(), s.eventChar.end());
    putInt(out, s.parity);
    putInt(out, s.flowControl);
    putInt(out, s.rtsControl);
    putInt(out, s.dtrControl);
    return out;
}

std::optional<SerialSettings> decodeSerialSettings(const Bytes& block) {
    SerialSettings s;
    if (block.empty()) return s;
    Reader r(block);
    std::int32_t version = 0, parityCheck = 0, openOnCreate = 0, eventLength = 0;
    if (!r.readInt(version) || version < 1 || version > kSerialSettingsVersion) return std::nullopt;
    if (!r.readInt(s.portNumber) || !r.readInt(s.baudRate) || !r.readInt(s.dataBits) ||
        !r.readInt(s.stopBits) || !r.readInt(parityCheck) || !r.readInt(s.timeout) ||
        !r.readInt(openOnCreate) || !r.readInt(eventLength) || !r.readText(s.eventChar, eventLength)) {
        return std::nullopt;
    }
    if (version >= 2 && !r.readInt(s.parity)) return std::nullopt;
    if (version >= 3 && !r.readInt(s.flowControl)) return std::nullopt;
    if (version >= 4 && (!r.readInt(s.rtsControl) || !r.readInt(s.dtrControl))) return std::nullopt;
    s.parityCheck = parityCheck != 0;
    s.openOnCreate = openOnCreate != 0;
    namespace sp = prop::serial;
    s.portNumber = adjusted(sp::kPortNumber, s.portNumber);
    s.baudRate = adjusted(sp::kBaudRate, s.baudRate);
    s.stopBits = adjusted(sp::kStopBits, s.stopBits);
    s.timeout = adjusted(sp::kTimeout, s.timeout);
    s.parity = adjusted(sp::kParity, s.parity);
    s.flowControl = adjusted(sp::kFlowControl, s.flowControl);
    s.rtsControl = adjusted(sp::kRtsControl, s.rtsControl);
    s.dtrControl = adjusted(sp::kDtrControl, s.dtrControl);
    return s;
}

PropertyList serialProperties(const SerialSettings& s) {
    namespace sp = prop::serial;
    return {
        {sp::kPortNumber, s.portNumber},
        {sp::kBaudRate, s.baudRate},
        {sp::kDataBits, s.dataBits},
        {sp::kStopBits, s.stopBits},
        {sp::kParityCheck, std::int32_t{s.parityCheck ? 1 : 0}},
        {sp::kEventChar, s.eventChar},
        {sp::kTimeout, s.timeout},
        {sp::kOpenOnCreate, std::int32_t{s.openOnCreate ? 1 : 0}},
        {sp::kParity, s.parity},
        {sp::kFlowControl, s.flowControl},
        {sp::kRtsControl, s.rtsControl},
        {sp::kDtrControl, s.dtrControl},
    };
}

}  // namespace tessary
