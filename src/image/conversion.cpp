#include "image/conversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace tessary::image {
namespace {

constexpr std::array<std::string_view, kConversionCount> kNames = {
    "Threshold", "Floyd–Steinberg", "Atkinson", "Jarvis–Judice–Ninke", "Stucki", "Ordered (Bayer 8×8)",
    "Halftone dots"};
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
    return o;
}

// The grey of a pixel is the plain mean (R + G + B) / 3, the weighting of the threshold's R + G + B sum, so
// that a grey pixel (v, v, v) has the grey v and the threshold and the dithering modes agree on what is
// light. Kept as the sum (0..765) until the adjustments, which map it to a grey 0..255.
struct Grey {
    int width = 0, height = 0;
    std::vector<float> v;
    float& at(int x, int y) { return v[static_cast<std::size_t>(y) * width + x]; }
};

// Auto level, brightness, contrast and gamma are one mapping of the sum 0..765 to a grey 0..255.
std::array<float, 766> toneCurve(const ConversionOptions& o, int lowSum, int highSum) {
    std::array<float, 766> curve{};
    const float contrastStep = static_cast<float>(o.contrast) * 2.55f;
    const float contrastFactor = 259.0f * (contrastStep + 255.0f) / (255.0f * (259.0f - contrastStep));
    const double inverseGamma = 100.0 / o.gamma;
    for (int s = 0; s <= 765; ++s) {
        float g = static_cast<float>(s) / 3.0f;
        if (o.autoLevel && highSum > lowSum)
            g = static_cast<float>(s - lowSum) * 255.0f / static_cast<float>(highSum - lowSum);
        g += static_cast<float>(o.brightness) * 2.55f;
        if (o.contrast != 0) g = contrastFactor * (g - 128.0f) + 128.0f;
        g = std::clamp(g, 0.0f, 255.0f);
        if (o.gamma != 100) g = static_cast<float>(255.0 * std::pow(g / 255.0, inverseGamma));
        curve[s] = g;
    }
    return curve;
}

Grey adjustedGrey(const Raster& canvas, const PictureRect& r, const ConversionOptions& o) {
    Grey grey;
    grey.width = r.width;
    grey.height = r.height;
    grey.v.resize(static_cast<std::size_t>(r.width) * r.height);
    std::vector<std::uint16_t> sums(grey.v.size());
    int low = 765, high = 0;
    for (int y = 0; y < r.height; ++y) {
        const std::uint8_t* p = canvas.at(r.left, r.top + y);
        std::uint16_t* s = sums.data() + static_cast<std::size_t>(y) * r.width;
        for (int x = 0; x < r.width; ++x, p += 3) {
            s[x] = static_cast<std::uint16_t>(p[0] + p[1] + p[2]);
            low = std::min<int>(low, s[x]);
            high = std::max<int>(high, s[x]);
        }
    }
    const auto curve = toneCurve(o, low, high);
    for (std::size_t i = 0; i < sums.size(); ++i) grey.v[i] = curve[sums[i]];

    if (o.sharpen > 0) {
        // Unsharp mask: the grey pushed away from its 3 x 3 binomial blur (edges repeat their last pixel).
        const float amount = static_cast<float>(o.sharpen) / 50.0f;
        const Grey source = grey;
        const auto src = [&](int x, int y) {
            x = std::clamp(x, 0, r.width - 1);
            y = std::clamp(y, 0, r.height - 1);
            return source.v[static_cast<std::size_t>(y) * r.width + x];
        };
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) {
                const float blur = (4 * src(x, y) + 2 * (src(x - 1, y) + src(x + 1, y) + src(x, y - 1) + src(x, y + 1)) +
                                    src(x - 1, y - 1) + src(x + 1, y - 1) + src(x - 1, y + 1) + src(x + 1, y + 1)) /
                                   16.0f;
                grey.at(x, y) = std::clamp(src(x, y) + amount * (src(x, y) - blur), 0.0f, 255.0f);
            }
    }
    if (o.invert)
        for (float& g : grey.v) g = 255.0f - g;
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

// Error diffusion in a serpentine scan: each row runs the other way than the one before, its taps mirrored.
template <std::size_t N>
void diffuse(Grey& grey, const std::array<Tap, N>& taps, float divisor, std::vector<std::uint8_t>& white) {
    constexpr int kPad = 2;
    const int w = grey.width, h = grey.height, stride = w + 2 * kPad;
    std::vector<float> work(static_cast<std::size_t>(stride) * (h + kPad), 0.0f);
    for (int y = 0; y < h; ++y)
        std::copy_n(grey.v.data() + static_cast<std::size_t>(y) * w, w, work.data() + static_cast<std::size_t>(y) * stride + kPad);
    std::array<Tap, N> scaled = taps;
    for (Tap& t : scaled) t.weight /= divisor;
    for (int y = 0; y < h; ++y) {
        const bool leftward = (y & 1) != 0;
        const int direction = leftward ? -1 : 1;
        float* row = work.data() + static_cast<std::size_t>(y) * stride + kPad;
        std::uint8_t* out = white.data() + static_cast<std::size_t>(y) * w;
        for (int i = 0; i < w; ++i) {
            const int x = leftward ? w - 1 - i : i;
            const float value = row[x];
            const bool isWhite = value >= 128.0f;
            out[x] = isWhite;
            const float error = value - (isWhite ? 255.0f : 0.0f);
            for (const Tap& t : scaled) row[x + t.dx * direction + t.dy * stride] += error * t.weight;
        }
    }
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

// Round black dots on a screen turned by the angle, one per cell, each as large as its pixel is dark: a
// pixel is black when the disc around its cell's centre that reaches it covers less of the cell than the
// darkness does. Screen positions are counted from the canvas's origin, so cells do not move with the picture.
void halftone(const Grey& grey, const PictureRect& r, int cell, int angle, std::vector<std::uint8_t>& white) {
    const double theta = angle * std::numbers::pi / 180.0;
    const double c = std::cos(theta) / cell, s = std::sin(theta) / cell;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            const double px = r.left + x + 0.5, py = r.top + y + 0.5;
            const double u = px * c + py * s, v = -px * s + py * c;
            const double fu = u - std::floor(u) - 0.5, fv = v - std::floor(v) - 0.5;
            const double darkness = 1.0 - grey.v[static_cast<std::size_t>(y) * r.width + x] / 255.0;
            white[static_cast<std::size_t>(y) * r.width + x] = discInCell(std::sqrt(fu * fu + fv * fv)) >= darkness;
        }
}

void setWhite(Bitmap& out, int x, int y) { out.topRow(y)[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7)); }

PictureRect clipped(const PictureRect& r, int width, int height) {
    const int left = std::clamp(r.left, 0, width), top = std::clamp(r.top, 0, height);
    const int right = std::clamp(r.left + r.width, left, width), bottom = std::clamp(r.top + r.height, top, height);
    return {left, top, right - left, bottom - top};
}

}  // namespace

bool ConversionOptions::isDefault() const { return effective(*this) == ConversionOptions{}; }

bool ConversionOptions::valid() const {
    return kThresholdRange.holds(threshold) && kCellRange.holds(cell) && kAngleRange.holds(angle) &&
           kBrightnessRange.holds(brightness) && kContrastRange.holds(contrast) && kGammaRange.holds(gamma) &&
           kSharpenRange.holds(sharpen) && static_cast<int>(mode) >= 0 && static_cast<int>(mode) < kConversionCount;
}

Bitmap convertToBlackAndWhite(const Raster& canvas, const PictureRect& picture, const ConversionOptions& options) {
    Bitmap out = Bitmap::create(canvas.width, canvas.height, 1);
    if (out.empty()) return out;
    const ConversionOptions o = effective(options);
    if (o == ConversionOptions{} || !o.valid()) {
        // Today's conversion of the whole canvas, margins included.
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
    for (int y = r.top; y < r.top + r.height; ++y)
        for (int x = r.left; x < r.left + r.width; ++x) out.topRow(y)[x >> 3] &= static_cast<std::uint8_t>(~(0x80 >> (x & 7)));

    Grey grey = adjustedGrey(canvas, r, o);
    std::vector<std::uint8_t> white(grey.v.size(), 0);
    switch (o.mode) {
        case Conversion::Threshold: {
            const float level = o.autoLevel ? otsuLevel(grey) : static_cast<float>(o.threshold) / 3.0f;
            for (std::size_t i = 0; i < white.size(); ++i) white[i] = grey.v[i] >= level;
            break;
        }
        case Conversion::FloydSteinberg:
            diffuse(grey, std::array<Tap, 4>{{{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}}, 16, white);
            break;
        case Conversion::Atkinson:  // six eighths of the error passed on, a quarter dropped
            diffuse(grey, std::array<Tap, 6>{{{1, 0, 1}, {2, 0, 1}, {-1, 1, 1}, {0, 1, 1}, {1, 1, 1}, {0, 2, 1}}}, 8,
                    white);
            break;
        case Conversion::Jarvis:
            diffuse(grey,
                    std::array<Tap, 12>{{{1, 0, 7}, {2, 0, 5}, {-2, 1, 3}, {-1, 1, 5}, {0, 1, 7}, {1, 1, 5}, {2, 1, 3},
                                         {-2, 2, 1}, {-1, 2, 3}, {0, 2, 5}, {1, 2, 3}, {2, 2, 1}}},
                    48, white);
            break;
        case Conversion::Stucki:
            diffuse(grey,
                    std::array<Tap, 12>{{{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2},
                                         {-2, 2, 1}, {-1, 2, 2}, {0, 2, 4}, {1, 2, 2}, {2, 2, 1}}},
                    42, white);
            break;
        case Conversion::Bayer:
            // Cell entry i turns white above the grey (i + 0.5) * 255 / 64: a flat grey g whitens
            // round(64 g / 255) of the 64 pixels of every cell.
            for (int y = 0; y < r.height; ++y)
                for (int x = 0; x < r.width; ++x) {
                    const int i = kBayer[(r.top + y) & 7][(r.left + x) & 7];
                    white[static_cast<std::size_t>(y) * r.width + x] =
                        grey.v[static_cast<std::size_t>(y) * r.width + x] * 64.0f > (static_cast<float>(i) + 0.5f) * 255.0f;
                }
            break;
        case Conversion::Halftone: halftone(grey, r, o.cell, o.angle, white); break;
    }
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (white[static_cast<std::size_t>(y) * r.width + x]) setWhite(out, r.left + x, r.top + y);
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
    if (o.threshold != d.threshold) text += ", level " + std::to_string(o.threshold);
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
    return text;
}

}  // namespace tessary::image
