// SPDX-License-Identifier: GPL-3.0-or-later
#include "engrave/report_decoder.h"

namespace tessary::engrave {

std::optional<Point> ReportDecoder::feed(std::uint8_t byte) {
    if (byte == kReportSync) {
        counter_ = 0;
        return std::nullopt;
    }
    if (counter_ >= 4) {
        counter_ = kPastReport;
        return std::nullopt;
    }
    slots_[static_cast<std::size_t>(counter_)] = byte;
    ++counter_;
    if (counter_ != 4) return std::nullopt;
    last_ = Point{slots_[0] * 100 + slots_[1], slots_[2] * 100 + slots_[3]};
    return last_;
}

bool onSurface(Point p) { return p.x >= 0 && p.x < kSurfaceWidth && p.y >= 0 && p.y < kSurfaceHeight; }

std::optional<std::array<std::uint8_t, kReportLength>> encodeReport(Point p) {
    constexpr int kMax = 254 * 100 + 99;
    if (p.x < 0 || p.y < 0 || p.x > kMax || p.y > kMax) return std::nullopt;
    return std::array<std::uint8_t, kReportLength>{
        kReportSync, static_cast<std::uint8_t>(p.x / 100), static_cast<std::uint8_t>(p.x % 100),
        static_cast<std::uint8_t>(p.y / 100), static_cast<std::uint8_t>(p.y % 100)};
}

}  // namespace tessary::engrave
