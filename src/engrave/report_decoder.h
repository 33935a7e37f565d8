// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The machine's position reports: FF, x / 100, x % 100, y / 100, y % 100.
#include <array>
#include <cstdint>
#include <optional>

namespace tessary::engrave {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

inline constexpr std::uint8_t kReportSync = 0xFF;
inline constexpr int kReportLength = 5;

/// Decodes the received bytes one at a time. Only the sync byte resets it, so the first four bytes ever
/// received form a report without one. Bytes after the fourth are dropped until the next sync byte.
class ReportDecoder {
  public:
    /// The position when `byte` completes a report.
    std::optional<Point> feed(std::uint8_t byte);
    /// The position of the last complete report, (0, 0) before the first.
    Point last() const { return last_; }

  private:
    static constexpr int kPastReport = 5;
    int counter_ = 0;  // saturates at kPastReport: a long run without sync must not overflow
    std::array<int, 4> slots_{};
    Point last_{};
};

/// The working canvas's drawing surface, inside its border.
inline constexpr int kSurfaceWidth = 510;
inline constexpr int kSurfaceHeight = 510;

/// Whether a reported position can be drawn: 0 <= x, y < 510.
bool onSurface(Point p);

/// The report the machine sends for `p`; none when a part would not fit in 0..254.
std::optional<std::array<std::uint8_t, kReportLength>> encodeReport(Point p);

}  // namespace tessary::engrave
