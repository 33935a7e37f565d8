// SPDX-License-Identifier: GPL-3.0-or-later
#include "ruler_drawing.h"

#include <algorithm>
#include <array>

namespace tessary::resources {
namespace {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
using Glyph = std::array<const char*, kGlyphHeight>;

constexpr Glyph kZero = {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."};
constexpr Glyph kFive = {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."};

// Pixels as displayed: (x, y) from the top-left, true = black.
class Strip {
  public:
    Strip(int width, int height)
        : width_(width), height_(height), ink_(static_cast<std::size_t>(width) * height) {}
    void mark(int x, int y) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            ink_[static_cast<std::size_t>(y) * width_ + x] = true;
    }
    void fill(int x, int y, int w, int h) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) mark(i, j);
    }
    void glyph(int left, int top, const Glyph& g) {
        for (int j = 0; j < kGlyphHeight; ++j)
            for (int i = 0; i < kGlyphWidth; ++i)
                if (g[j][i] == '#') mark(left + i, top + j);
    }
    std::vector<std::uint8_t> bmp() const;

  private:
    int width_;
    int height_;
    std::vector<bool> ink_;
};

void put(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> Strip::bmp() const {
    const std::size_t stride = (static_cast<std::size_t>(width_) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> out(54 + stride * height_, 0xFF);
    std::fill(out.begin(), out.begin() + 54, 0);
    out[0] = 'B';
    out[1] = 'M';
    put(out, 2, static_cast<std::uint32_t>(out.size()), 4);
    put(out, 10, 54, 4);
    put(out, 14, 40, 4);
    put(out, 18, static_cast<std::uint32_t>(width_), 4);
    put(out, 22, static_cast<std::uint32_t>(height_), 4);
    put(out, 26, 1, 2);
    put(out, 28, 24, 2);
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* row = out.data() + 54 + static_cast<std::size_t>(height_ - 1 - y) * stride;
        for (int x = 0; x < width_; ++x)
            if (ink_[static_cast<std::size_t>(y) * width_ + x]) std::fill_n(row + 3 * x, 3, 0);
    }
    return out;
}

const Glyph& labelOf(int tickNumber) { return (tickNumber / 5) % 2 == 0 ? kZero : kFive; }

// A label centred on its tick, moved inwards where it would stick out of the strip.
int labelStart(int tick, int size) { return std::clamp(tick - size / 2, 0, kRulerLength - size); }

}  // namespace

std::vector<int> rulerTicks(RulerAxis axis) {
    std::vector<int> ticks;
    if (axis == RulerAxis::Horizontal) {
        for (int k = 0; k < 38; ++k) ticks.push_back((1022 * k + 38) / 76);
    } else {
        for (int k = 0; k <= 38; ++k) ticks.push_back((1022 * k + 37) / 76);
    }
    return ticks;
}

std::vector<std::uint8_t> drawRuler(RulerAxis axis) {
    const std::vector<int> ticks = rulerTicks(axis);
    if (axis == RulerAxis::Horizontal) {
        Strip s(kRulerLength, kRulerBreadth);
        s.fill(0, 10, kRulerLength, 2);
        s.fill(509, 0, 3, kRulerBreadth);
        for (int k = 0; k < static_cast<int>(ticks.size()); ++k) {
            const bool labelled = labelledTick(k);
            s.fill(ticks[k], labelled ? 7 : 8, 1, labelled ? 3 : 2);
            if (labelled) s.glyph(labelStart(ticks[k], kGlyphWidth), 0, labelOf(k));
        }
        return s.bmp();
    }
    Strip s(kRulerBreadth, kRulerLength);
    s.fill(10, 0, 2, kRulerLength);
    for (int k = 0; k < static_cast<int>(ticks.size()); ++k) {
        const bool labelled = labelledTick(k);
        s.fill(labelled ? 7 : 8, ticks[k], labelled ? 3 : 2, 1);
        if (labelled) s.glyph(0, labelStart(ticks[k], kGlyphHeight), labelOf(k));
    }
    return s.bmp();
}

}  // namespace tessary::resources
