// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/port_settings.h"

#include "app/model/properties.h"
#include "app/model/property_rules.h"

namespace tessary::link {
namespace {

namespace sp = prop::serial;

// S is PortSettings or const PortSettings.
template <class S>
auto integerField(S& s, int property) -> decltype(&s.portNumber) {
    switch (property) {
        case sp::kPortNumber:
            return &s.portNumber;
        case sp::kBaudRate:
            return &s.baudRate;
        case sp::kDataBits:
            return &s.dataBits;
        case sp::kStopBits:
            return &s.stopBits;
        case sp::kTimeout:
            return &s.timeout;
        case sp::kParity:
            return &s.parity;
        case sp::kFlowControl:
            return &s.flowControl;
        case sp::kRtsControl:
            return &s.rtsControl;
        case sp::kDtrControl:
            return &s.dtrControl;
        default:
            return nullptr;
    }
}

template <class S>
auto booleanField(S& s, int property) -> decltype(&s.parityCheck) {
    switch (property) {
        case sp::kParityCheck:
            return &s.parityCheck;
        case sp::kOpenOnCreate:
            return &s.openOnCreate;
        default:
            return nullptr;
    }
}

}  // namespace

bool writeSetting(PortSettings& s, int property, const Value& value) {
    if (property < sp::kPortNumber || property > sp::kDtrControl) return false;
    const Value adjusted = normaliseProperty(Kind::SerialPort, property, value);
    if (auto* i = integerField(s, property))
        *i = asInt(adjusted);
    else if (auto* b = booleanField(s, property))
        *b = asBool(adjusted);
    else
        s.eventChar = asText(adjusted);
    return true;
}

std::optional<Value> readSetting(const PortSettings& s, int property) {
    if (auto* i = integerField(s, property)) return Value{*i};
    if (auto* b = booleanField(s, property)) return Value{std::int32_t{*b}};
    if (property == sp::kEventChar) return Value{s.eventChar};
    return std::nullopt;
}

}  // namespace tessary::link
