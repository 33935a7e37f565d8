// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/conversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <utility>
#include <vector>

namespace tessary::image {
namespace {

constexpr std::array<std::string_view, kConversionCount> kNames = {
    "Threshold", "Floyd–Steinberg",     "Atkinson",     "Jarvis–Judice–Ninke",
    "Stucki",    "Ordered (Bayer 8×8)", "Halftone dots"};
constexpr std::array<std::string_view, kConversionCount> kKeys = {
    "threshold", "floyd-steinberg", "atkinson", "jarvis", "stucki", "bayer", "halftone"};

// Options that the chosen mode does not use are left at their defaults, so they neither change the
// output nor count as a difference.
ConversionOptions effective(ConversionOptions o) {
    const ConversionOptions d;
    if (o.mode != Conversion::Threshold || o.autoLevel) o.threshold = d.threshold;
    if (o.mode != Conversion::Halftone) {
        o.cell = d.cell;
        o.angle = d.angle;
    }
    if (o.fill) o.size = d.size;
    return o;
}

// The grey of a pixel is its brightness, the Rec. 601 luma 0.299 R + 0.587 G + 0.114 B, in thirds of a
// grey step (0..765, the scale of the threshold's R + G + B) until the adjustments map it to a grey 0..255.
// The weights are whole thousandths, so a grey pixel (v, v, v) is 3 v exactly, as its sum is.
int lumaThirds(const std::uint8_t* p) { return (3 * (299 * p[0] + 587 * p[1] + 114 * p[2]) + 500) / 1000; }

struct Grey {
    int width = 0, height = 0;
    std::vector<float> v;  // rows of width values
};

// Auto level, brightness, contrast and gamma are one mapping of the grey in thirds (0..765) to a grey 0..255.
std::array<float, 766> toneCurve(const ConversionOptions& o, int low, int high) {
    std::array<float, 766> curve{};
    const float contrastStep = static_cast<float>(o.contrast) * 2.55f;
    const float contrastFactor = 259.0f * (contrastStep + 255.0f) / (255.0f * (259.0f - contrastStep));
    const double inverseGamma = 100.0 / o.gamma;
    for (int s = 0; s <= 765; ++s) {
        float g = static_cast<float>(s) / 3.0f;
        if (o.autoLevel && high > low)
            g = static_cast<float>(s - low) * 255.0f / static_cast<float>(high - low);
        g += static_cast<float>(o.brightness) * 2.55f;
        if (o.contrast != 0) g = contrastFactor * (g - 128.0f) + 128.0f;
        g = std::clamp(g, 0.0f, 255.0f);
        if (o.gamma != 100) g = static_cast<float>(255.0 * std::pow(g / 255.0, inverseGamma));
        curve[s] = g;
    }
    return curve;
}

// The picture's own colour of the rectangle's outer-line pixels that the enlargement blended with the margin.
class Unblend {
  public:
    Unblend(const MarginBlend& blend, const PictureRect& r)
        : blend_(blend),
          width_(r.width),
          height_(r.height),
          margin_{static_cast<float>(blend.colour & 0xFF), static_cast<float>((blend.colour >> 8) & 0xFF),
                  static_cast<float>((blend.colour >> 16) & 0xFF)} {}

    bool onEdge(int x, int y) const { return x == 0 || y == 0 || x == width_ - 1 || y == height_ - 1; }

    // lumaThirds of the pixel at (x, y) of the rectangle with the margin's share taken out.
    int thirds(const std::uint8_t* p, int x, int y) const {
        const float s =
            line(y, height_, blend_.top, blend_.bottom) * line(x, width_, blend_.left, blend_.right);
        // Below a sixteenth the picture's colour is lost in the rounding.
        if (s >= 1.0f || s < 1.0f / 16) return lumaThirds(p);
        std::uint8_t own[3];
        for (int c = 0; c < 3; ++c)
            own[c] = static_cast<std::uint8_t>(std::lround(
                std::clamp((static_cast<float>(p[c]) - (1.0f - s) * margin_[c]) / s, 0.0f, 255.0f)));
        return lumaThirds(own);
    }

  private:
    static float line(int i, int n, float first, float last) {
        return i == 0 ? first : i == n - 1 ? last : 1.0f;
    }
    MarginBlend blend_;
    int width_, height_;
    float margin_[3];
};

// unblend: the outer lines' blends with the margin taken out (nullptr: read as they are).
Grey adjustedGrey(const Raster& canvas, const PictureRect& r, const ConversionOptions& o,
                  const Unblend* unblend) {
    Grey grey;
    grey.width = r.width;
    grey.height = r.height;
    grey.v.resize(static_cast<std::size_t>(r.width) * r.height);
    int low = 0, high = 765;
    if (o.autoLevel) {
        low = 765;
        high = 0;
        for (int y = 0; y < r.height; ++y) {
            const std::uint8_t* p = canvas.at(r.left, r.top + y);
            for (int x = 0; x < r.width; ++x, p += 3) {
                const int thirds =
                    unblend && unblend->onEdge(x, y) ? unblend->thirds(p, x, y) : lumaThirds(p);
                low = std::min(low, thirds);
                high = std::max(high, thirds);
            }
        }
    }
    std::array<float, 766> curve{};
    if (o.invert) {
        // The picture arrived inverted: the curve of the picture as it was, seen in the mirror, so that the
        // adjustments act before the inversion. The unsharp mask below commutes with it.
        const auto before = toneCurve(o, 765 - high, 765 - low);
        for (int s = 0; s <= 765; ++s) curve[s] = 255.0f - before[765 - s];
    } else {
        curve = toneCurve(o, low, high);
    }
    for (int y = 0; y < r.height; ++y) {
        const std::uint8_t* p = canvas.at(r.left, r.top + y);
        float* g = grey.v.data() + static_cast<std::size_t>(y) * r.width;
        for (int x = 0; x < r.width; ++x, p += 3) g[x] = curve[lumaThirds(p)];
    }
    if (unblend) {
        const auto own = [&](int x, int y) {
            grey.v[static_cast<std::size_t>(y) * r.width + x] =
                curve[unblend->thirds(canvas.at(r.left + x, r.top + y), x, y)];
        };
        for (int x = 0; x < r.width; ++x) {
            own(x, 0);
            own(x, r.height - 1);
        }
        for (int y = 1; y < r.height - 1; ++y) {
            own(0, y);
            own(r.width - 1, y);
        }
    }

    if (o.sharpen > 0) {
        // Unsharp mask: the grey pushed away from its 3 x 3 binomial blur (edges repeat their last pixel).
        const float amount = static_cast<float>(o.sharpen) / 50.0f;
        const int w = r.width;
        // Scratch kept between calls: a slider's every step would otherwise map and fault in new pages.
        thread_local std::vector<float> padded;
        padded.resize(static_cast<std::size_t>(w + 2) * (r.height + 2));
        for (int y = -1; y <= r.height; ++y) {
            const float* src = grey.v.data() + static_cast<std::size_t>(std::clamp(y, 0, r.height - 1)) * w;
            float* dst = padded.data() + static_cast<std::size_t>(y + 1) * (w + 2);
            dst[0] = src[0];
            std::copy_n(src, w, dst + 1);
            dst[w + 1] = src[w - 1];
        }
        const std::ptrdiff_t ps = w + 2;
        for (int y = 0; y < r.height; ++y) {
            const float* p = padded.data() + (y + 1) * ps + 1;
            float* out = grey.v.data() + static_cast<std::size_t>(y) * w;
            for (int x = 0; x < w; ++x, ++p) {
                const float blur = (4 * p[0] + 2 * (p[-1] + p[1] + p[-ps] + p[ps]) + p[-ps - 1] + p[-ps + 1] +
                                    p[ps - 1] + p[ps + 1]) *
                                   (1.0f / 16);
                float v = p[0] + amount * (p[0] - blur);
                v = v > 0.0f ? v : 0.0f;  // written so that it compiles to min and max, not branches
                out[x] = v < 255.0f ? v : 255.0f;
            }
        }
    }
    return grey;
}

// Otsu's method over the grey histogram: the level that best separates two classes; white from it on.
float otsuLevel(const Grey& grey) {
    std::array<double, 256> histogram{};
    for (float g : grey.v) histogram[static_cast<int>(std::lround(g))] += 1;
    const double total = static_cast<double>(grey.v.size());
    double sumAll = 0;
    for (int i = 0; i < 256; ++i) sumAll += i * histogram[i];
    double weightBelow = 0, sumBelow = 0, best = -1;
    int level = 128;
    for (int t = 0; t < 256; ++t) {
        weightBelow += histogram[t];
        if (weightBelow == 0) continue;
        const double weightAbove = total - weightBelow;
        if (weightAbove == 0) break;
        sumBelow += t * histogram[t];
        const double meanBelow = sumBelow / weightBelow;
        const double meanAbove = (sumAll - sumBelow) / weightAbove;
        const double between = weightBelow * weightAbove * (meanBelow - meanAbove) * (meanBelow - meanAbove);
        if (between > best) {
            best = between;
            level = t + 1;
        }
    }
    return static_cast<float>(level) - 0.5f;
}

struct Tap {
    int dx, dy;
    float weight;
};

// The error diffusion kernels: where the error of a pixel goes, and the sum of the weights.
struct FloydSteinberg {
    static constexpr float kDivisor = 16;
    static constexpr std::array<Tap, 4> kTaps = {{{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}};
};
struct Atkinson {  // six eighths of the error passed on, a quarter dropped
    static constexpr float kDivisor = 8;
    static constexpr std::array<Tap, 6> kTaps = {
        {{1, 0, 1}, {2, 0, 1}, {-1, 1, 1}, {0, 1, 1}, {1, 1, 1}, {0, 2, 1}}};
};
struct Jarvis {
    static constexpr float kDivisor = 48;
    static constexpr std::array<Tap, 12> kTaps = {{{1, 0, 7},
                                                   {2, 0, 5},
                                                   {-2, 1, 3},
                                                   {-1, 1, 5},
                                                   {0, 1, 7},
                                                   {1, 1, 5},
                                                   {2, 1, 3},
                                                   {-2, 2, 1},
                                                   {-1, 2, 3},
                                                   {0, 2, 5},
                                                   {1, 2, 3},
                                                   {2, 2, 1}}};
};
struct Stucki {
    static constexpr float kDivisor = 42;
    static constexpr std::array<Tap, 12> kTaps = {{{1, 0, 8},
                                                   {2, 0, 4},
                                                   {-2, 1, 2},
                                                   {-1, 1, 4},
                                                   {0, 1, 8},
                                                   {1, 1, 4},
                                                   {2, 1, 2},
                                                   {-2, 2, 1},
                                                   {-1, 2, 2},
                                                   {0, 2, 4},
                                                   {1, 2, 2},
                                                   {2, 2, 1}}};
};

// One row of the diffusion in one direction; the kernel's taps are mirrored for a leftward row. The taps
// are unrolled, each a fixed offset from the pixel.
template <class Kernel, int Direction, std::size_t... I>
void diffuseRow(float* row, std::ptrdiff_t stride, int w, std::uint8_t* out, std::index_sequence<I...>) {
    for (int i = 0; i < w; ++i) {
        const int x = Direction > 0 ? i : w - 1 - i;
        float* p = row + x;
        const float value = *p;
        const bool isWhite = value >= 128.0f;
        out[x] = isWhite;
        const float error = value - (isWhite ? 255.0f : 0.0f);
        ((p[Kernel::kTaps[I].dx * Direction + Kernel::kTaps[I].dy * stride] +=
          error * (Kernel::kTaps[I].weight / Kernel::kDivisor)),
         ...);
    }
}

// Rows above the picture and columns beside it, each its nearest edge pixel again, that the diffusion runs
// through first: the picture's outer lines then receive error as its inside does, instead of none.
constexpr int kLeadIn = 24;  // even, so the picture's rows keep the direction they have without it

// Error diffusion in a serpentine scan: each row runs the other way than the one before.
template <class Kernel>
void diffuse(const Grey& grey, std::vector<std::uint8_t>& white) {
    constexpr int kPad = 2;
    const int w = grey.width, h = grey.height;
    const int ew = w + 2 * kLeadIn, eh = h + kLeadIn;
    const std::ptrdiff_t stride = ew + 2 * kPad;
    thread_local std::vector<float> work;
    thread_local std::vector<std::uint8_t> outRow;
    work.assign(static_cast<std::size_t>(stride) * (eh + kPad), 0.0f);
    outRow.resize(static_cast<std::size_t>(ew));
    for (int y = 0; y < eh; ++y) {
        const float* src = grey.v.data() + static_cast<std::size_t>(std::max(0, y - kLeadIn)) * w;
        float* dst = work.data() + y * stride + kPad;
        std::fill_n(dst, kLeadIn, src[0]);
        std::copy_n(src, w, dst + kLeadIn);
        std::fill_n(dst + kLeadIn + w, kLeadIn, src[w - 1]);
    }
    for (int y = 0; y < eh; ++y) {
        float* row = work.data() + y * stride + kPad;
        constexpr auto taps = std::make_index_sequence<Kernel::kTaps.size()>();
        if (y & 1)
            diffuseRow<Kernel, -1>(row, stride, ew, outRow.data(), taps);
        else
            diffuseRow<Kernel, 1>(row, stride, ew, outRow.data(), taps);
        if (y >= kLeadIn)
            std::copy_n(outRow.data() + kLeadIn, w, white.data() + static_cast<std::size_t>(y - kLeadIn) * w);
    }
}

bool diffuses(Conversion mode) {
    return mode == Conversion::FloydSteinberg || mode == Conversion::Atkinson || mode == Conversion::Jarvis ||
           mode == Conversion::Stucki;
}

constexpr std::array<std::array<int, 8>, 8> kBayer = {{
    {0, 32, 8, 40, 2, 34, 10, 42},
    {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},
    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},
    {63, 31, 55, 23, 61, 29, 53, 21},
}};

// The share of a unit cell [-0.5, 0.5]^2 within distance r of its centre.
double discInCell(double r) {
    if (r <= 0.5) return std::numbers::pi * r * r;
    if (r >= std::numbers::sqrt2 / 2) return 1.0;
    const double h = std::sqrt(r * r - 0.25);
    return std::numbers::pi * r * r - 4 * (r * r * std::acos(0.5 / r) - 0.5 * h);
}

// discInCell by the squared distance (0 to 0.5), in steps fine enough for any cell size used.
const std::array<float, 4097>& discByDistanceSquared() {
    static const std::array<float, 4097> table = [] {
        std::array<float, 4097> t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<float>(discInCell(std::sqrt(i * 0.5 / 4096)));
        return t;
    }();
    return table;
}

// Round black dots on a screen turned by the angle, one per cell, each as large as its pixel is dark: a
// pixel is black when the disc around its cell's centre that reaches it covers less of the cell than the
// darkness does. Screen positions are counted from the canvas's origin, so cells do not move with the
// picture.
void halftone(const Grey& grey, const PictureRect& r, int cell, int angle, std::vector<std::uint8_t>& white) {
    const auto& disc = discByDistanceSquared();
    const double theta = angle * std::numbers::pi / 180.0;
    const double c = std::cos(theta) / cell, s = std::sin(theta) / cell;
    for (int y = 0; y < r.height; ++y) {
        const double py = r.top + y + 0.5, px0 = r.left + 0.5;
        double u = px0 * c + py * s, v = -px0 * s + py * c;
        const float* g = grey.v.data() + static_cast<std::size_t>(y) * r.width;
        std::uint8_t* out = white.data() + static_cast<std::size_t>(y) * r.width;
        for (int x = 0; x < r.width; ++x, u += c, v -= s) {
            const double fu = u - std::floor(u) - 0.5, fv = v - std::floor(v) - 0.5;
            const auto index = static_cast<std::size_t>((fu * fu + fv * fv) * (2 * 4096) + 0.5);
            out[x] = disc[std::min<std::size_t>(index, 4096)] * 255.0f >= 255.0f - g[x];
        }
    }
}

void setWhite(Bitmap& out, int x, int y) {
    out.topRow(y)[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
}

PictureRect clipped(const PictureRect& r, int width, int height) {
    const int left = std::clamp(r.left, 0, width), top = std::clamp(r.top, 0, height);
    const int right = std::clamp(r.left + r.width, left, width),
              bottom = std::clamp(r.top + r.height, top, height);
    return {left, top, right - left, bottom - top};
}

}  // namespace

bool ConversionOptions::isDefault() const { return effective(*this) == ConversionOptions{}; }

bool ConversionOptions::plainThreshold() const {
    ConversionOptions o = effective(*this);
    o.size = 0;
    o.fill = false;
    o.mirror = false;
    return o == ConversionOptions{};
}

bool ConversionOptions::valid() const {
    return kThresholdRange.holds(threshold) && kCellRange.holds(cell) && kAngleRange.holds(angle) &&
           kBrightnessRange.holds(brightness) && kContrastRange.holds(contrast) && kGammaRange.holds(gamma) &&
           kSharpenRange.holds(sharpen) && kSizeRange.holds(size) && static_cast<int>(mode) >= 0 &&
           static_cast<int>(mode) < kConversionCount;
}

Bitmap convertToBlackAndWhite(const Raster& canvas, const PictureRect& picture,
                              const ConversionOptions& options, const MarginBlend& blend) {
    if (options.mirror) {
        ConversionOptions unmirrored = options;
        unmirrored.mirror = false;
        return convertToBlackAndWhite(canvas, picture, unmirrored, blend).Mirror(true, false);
    }
    Bitmap out = Bitmap::create(canvas.width, canvas.height, 1);
    if (out.empty()) return out;
    const ConversionOptions o = effective(options);
    if (o.plainThreshold() || !o.valid()) {
        // The plain threshold of the whole canvas, margins included.
        for (int y = 0; y < canvas.height; ++y) {
            const std::uint8_t* p = canvas.at(0, y);
            for (int x = 0; x < canvas.width; ++x, p += 3)
                if (p[0] + p[1] + p[2] >= 383) setWhite(out, x, y);
        }
        return out;
    }
    const PictureRect r = clipped(picture, canvas.width, canvas.height);
    for (int y = 0; y < canvas.height; ++y) std::fill_n(out.topRow(y), out.stride(), 0xFF);
    if (r.width == 0 || r.height == 0) return out;

    // A side cut off by the canvas's edge is not blended with the margin.
    MarginBlend shares = blend;
    if (r.left != picture.left) shares.left = 1;
    if (r.top != picture.top) shares.top = 1;
    if (r.left + r.width != picture.left + picture.width) shares.right = 1;
    if (r.top + r.height != picture.top + picture.height) shares.bottom = 1;
    const bool blended = shares.left < 1 || shares.top < 1 || shares.right < 1 || shares.bottom < 1;
    const Unblend unblend(shares, r);
    const Grey grey = adjustedGrey(canvas, r, o, diffuses(o.mode) && blended ? &unblend : nullptr);
    std::vector<std::uint8_t> white(grey.v.size(), 0);
    switch (o.mode) {
        case Conversion::Threshold: {
            const float level = o.autoLevel ? otsuLevel(grey) : static_cast<float>(o.threshold) / 3.0f;
            for (std::size_t i = 0; i < white.size(); ++i) white[i] = grey.v[i] >= level;
            break;
        }
        case Conversion::FloydSteinberg:
            diffuse<FloydSteinberg>(grey, white);
            break;
        case Conversion::Atkinson:
            diffuse<Atkinson>(grey, white);
            break;
        case Conversion::Jarvis:
            diffuse<Jarvis>(grey, white);
            break;
        case Conversion::Stucki:
            diffuse<Stucki>(grey, white);
            break;
        case Conversion::Bayer:
            // Cell entry i turns white above the grey (i + 0.5) * 255 / 64: a flat grey g whitens
            // round(64 g / 255) of the 64 pixels of every cell.
            for (int y = 0; y < r.height; ++y)
                for (int x = 0; x < r.width; ++x) {
                    const int i = kBayer[(r.top + y) & 7][(r.left + x) & 7];
                    white[static_cast<std::size_t>(y) * r.width + x] =
                        grey.v[static_cast<std::size_t>(y) * r.width + x] * 64.0f >
                        (static_cast<float>(i) + 0.5f) * 255.0f;
                }
            break;
        case Conversion::Halftone:
            halftone(grey, r, o.cell, o.angle, white);
            break;
    }
    for (int y = 0; y < r.height; ++y) {
        std::uint8_t* bits = out.topRow(r.top + y);
        const std::uint8_t* w = white.data() + static_cast<std::size_t>(y) * r.width;
        for (int x = 0; x < r.width; ++x) {
            const int cx = r.left + x;
            bits[cx >> 3] &= static_cast<std::uint8_t>(~((w[x] ^ 1) << (7 - (cx & 7))));
        }
    }
    return out;
}

std::string_view conversionName(Conversion mode) { return kNames[static_cast<std::size_t>(mode)]; }
std::string_view conversionKey(Conversion mode) { return kKeys[static_cast<std::size_t>(mode)]; }

std::optional<Conversion> conversionFromKey(std::string_view key) {
    for (int i = 0; i < kConversionCount; ++i)
        if (kKeys[static_cast<std::size_t>(i)] == key) return static_cast<Conversion>(i);
    return std::nullopt;
}

std::string describeConversion(const ConversionOptions& options) {
    const ConversionOptions o = effective(options);
    const ConversionOptions d;
    const auto signedValue = [](int v) { return (v > 0 ? "+" : "") + std::to_string(v); };
    std::string text(conversionName(o.mode));
    if (o.threshold != d.threshold) text += ", level " + std::to_string(thresholdGrey(o.threshold));
    if (o.cell != d.cell) text += ", cell " + std::to_string(o.cell);
    if (o.angle != d.angle) text += ", angle " + std::to_string(o.angle);
    if (o.brightness != d.brightness) text += ", brightness " + signedValue(o.brightness);
    if (o.contrast != d.contrast) text += ", contrast " + signedValue(o.contrast);
    if (o.gamma != d.gamma) {
        char gamma[16];
        std::snprintf(gamma, sizeof gamma, "%d.%02d", o.gamma / 100, o.gamma % 100);
        text += ", gamma " + std::string(gamma);
    }
    if (o.sharpen != d.sharpen) text += ", sharpen " + std::to_string(o.sharpen);
    if (o.invert) text += ", inverted";
    if (o.autoLevel) text += ", auto level";
    if (o.size != d.size) text += ", size " + std::to_string(o.size);
    if (o.fill) text += ", fill the field";
    if (o.mirror) text += ", mirrored";
    return text;
}

}  // namespace tessary::image
