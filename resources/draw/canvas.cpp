// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace draw {

Canvas::Canvas(int w, int h, Colour fill) : w_(w), h_(h), px_(static_cast<std::size_t>(w) * h, fill) {}

void Canvas::set(int x, int y, Colour c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    px_[static_cast<std::size_t>(y) * w_ + x] = c;
}

void Canvas::plot(int x, int y, Colour c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    Colour& d = px_[static_cast<std::size_t>(y) * w_ + x];
    const int a = c.a;
    auto mix = [a](int s, int t) { return static_cast<std::uint8_t>((s * a + t * (255 - a) + 127) / 255); };
    d = {mix(c.r, d.r), mix(c.g, d.g), mix(c.b, d.b), static_cast<std::uint8_t>(std::max<int>(d.a, a))};
}

void Canvas::fillRect(int x, int y, int w, int h, Colour c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) plot(i, j, c);
}

void Canvas::frameRect(int x, int y, int w, int h, int t, Colour c) {
    fillRect(x, y, w, t, c);
    fillRect(x, y + h - t, w, t, c);
    fillRect(x, y + t, t, h - 2 * t, c);
    fillRect(x + w - t, y + t, t, h - 2 * t, c);
}

void Canvas::fillRoundRect(int x, int y, int w, int h, int r, Colour c) {
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) {
            const double cx = std::clamp<double>(i + 0.5, x + r, x + w - r);
            const double cy = std::clamp<double>(j + 0.5, y + r, y + h - r);
            const double d = std::hypot(i + 0.5 - cx, j + 0.5 - cy);
            if (d <= r - 0.5) {
                set(i, j, c);
            } else if (d < r + 0.5 && i >= 0 && j >= 0 && i < w_ && j < h_) {
                Colour edge = c;
                edge.a = static_cast<std::uint8_t>(c.a * (r + 0.5 - d));
                // On transparent ground the edge keeps its own colour at partial alpha; on paint it blends.
                if (at(i, j).a == 0) {
                    set(i, j, edge);
                } else {
                    plot(i, j, edge);
                }
            }
        }
    }
}

void Canvas::fillCircle(double cx, double cy, double r, Colour c) {
    for (int j = static_cast<int>(cy - r - 1); j <= cy + r + 1; ++j) {
        for (int i = static_cast<int>(cx - r - 1); i <= cx + r + 1; ++i) {
            const double d = std::hypot(i + 0.5 - cx, j + 0.5 - cy);
            if (d <= r - 0.5) {
                plot(i, j, c);
            } else if (d < r + 0.5) {
                Colour edge = c;
                edge.a = static_cast<std::uint8_t>(c.a * (r + 0.5 - d));
                plot(i, j, edge);
            }
        }
    }
}

void Canvas::fillTriangle(double x0, double y0, double x1, double y1, double x2, double y2, Colour c) {
    const int minX = static_cast<int>(std::floor(std::min({x0, x1, x2})));
    const int maxX = static_cast<int>(std::ceil(std::max({x0, x1, x2})));
    const int minY = static_cast<int>(std::floor(std::min({y0, y1, y2})));
    const int maxY = static_cast<int>(std::ceil(std::max({y0, y1, y2})));
    auto edge = [](double ax, double ay, double bx, double by, double px, double py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    for (int y = minY; y <= maxY; ++y) {
        for (int x = minX; x <= maxX; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double e0 = edge(x0, y0, x1, y1, px, py), e1 = edge(x1, y1, x2, y2, px, py),
                         e2 = edge(x2, y2, x0, y0, px, py);
            if ((e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0)) plot(x, y, c);
        }
    }
}

void Canvas::line(double x0, double y0, double x1, double y1, double t, Colour c) {
    const double len = std::hypot(x1 - x0, y1 - y0);
    const int steps = std::max(1, static_cast<int>(len * 2));
    for (int s = 0; s <= steps; ++s) {
        const double f = static_cast<double>(s) / steps;
        const double x = x0 + (x1 - x0) * f, y = y0 + (y1 - y0) * f;
        for (int j = static_cast<int>(y - t / 2); j <= static_cast<int>(y + t / 2); ++j)
            for (int i = static_cast<int>(x - t / 2); i <= static_cast<int>(x + t / 2); ++i) set(i, j, c);
    }
}

void Canvas::dashedRect(int x, int y, int w, int h, int dash, int t, Colour c) {
    for (int i = 0; i < w; ++i) {
        if ((i / dash) % 2) continue;
        fillRect(x + i, y, 1, t, c);
        fillRect(x + i, y + h - t, 1, t, c);
    }
    for (int j = 0; j < h; ++j) {
        if ((j / dash) % 2) continue;
        fillRect(x, y + j, t, 1, c);
        fillRect(x + w - t, y + j, t, 1, c);
    }
}

void Canvas::verticalGradient(Colour top, Colour bottom) {
    for (int y = 0; y < h_; ++y) {
        const double f = h_ > 1 ? static_cast<double>(y) / (h_ - 1) : 0;
        auto mix = [f](int a, int b) { return static_cast<std::uint8_t>(std::lround(a + (b - a) * f)); };
        const Colour c{mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b), 255};
        for (int x = 0; x < w_; ++x) set(x, y, c);
    }
}

namespace {
// Rows of 5 bits, top row first; bit 4 is the leftmost pixel.
struct Glyph {
    char ch;
    std::uint8_t rows[7];
};
constexpr Glyph kFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {' ', {0, 0, 0, 0, 0, 0, 0}},
};
}  // namespace

void Canvas::text(int x, int y, std::string_view s, int scale, Colour c) {
    for (char ch : s) {
        for (const auto& g : kFont) {
            if (g.ch != ch) continue;
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g.rows[row] & (0x10 >> col))
                        fillRect(x + col * scale, y + row * scale, scale, scale, c);
        }
        x += 6 * scale;
    }
}

}  // namespace draw
