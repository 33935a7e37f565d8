// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small RGBA drawing surface for the resource generator: filled shapes, lines and a blocky 5x7 font.
#include <cstdint>
#include <string_view>
#include <vector>

namespace draw {

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

class Canvas {
  public:
    Canvas(int w, int h, Colour fill);
    int width() const { return w_; }
    int height() const { return h_; }
    Colour at(int x, int y) const { return px_[static_cast<std::size_t>(y) * w_ + x]; }
    void plot(int x, int y, Colour c);  // blends by c.a over the pixel; outside: ignored
    void set(int x, int y, Colour c);   // replaces, alpha included
    void fillRect(int x, int y, int w, int h, Colour c);
    void frameRect(int x, int y, int w, int h, int thickness, Colour c);
    void fillRoundRect(int x, int y, int w, int h, int radius, Colour c);  // inside replaces, alpha included
    void fillCircle(double cx, double cy, double r, Colour c);
    void fillTriangle(double x0, double y0, double x1, double y1, double x2, double y2, Colour c);
    void line(double x0, double y0, double x1, double y1, double thickness, Colour c);
    void dashedRect(int x, int y, int w, int h, int dash, int thickness, Colour c);
    void verticalGradient(Colour top, Colour bottom);
    // Upper-case letters, digits, blank, '.', '-' and ':' of a 5x7 font, each font pixel `scale` wide.
    void text(int x, int y, std::string_view s, int scale, Colour c);
    static int textWidth(std::string_view s, int scale) {
        return static_cast<int>(s.size()) * 6 * scale - scale;
    }

  private:
    int w_, h_;
    std::vector<Colour> px_;
};

}  // namespace draw
