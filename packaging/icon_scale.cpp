// SPDX-License-Identifier: GPL-3.0-or-later
#include "icon_scale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tessary::packaging {
namespace {

// The source pixels one destination pixel reads along one axis, with their weights (summing to 1).
struct Taps {
    int first = 0;
    std::vector<double> weights;
};

std::vector<Taps> areaTaps(int from, int to) {
    const double span = static_cast<double>(from) / to;
    std::vector<Taps> taps(static_cast<std::size_t>(to));
    for (int i = 0; i < to; ++i) {
        const double begin = i * span, end = (i + 1) * span;
        const int first = static_cast<int>(std::floor(begin));
        const int last = std::min(from - 1, static_cast<int>(std::ceil(end)) - 1);
        taps[i].first = first;
        for (int s = first; s <= last; ++s) {
            const double overlap = std::min(end, s + 1.0) - std::max(begin, static_cast<double>(s));
            taps[i].weights.push_back(std::max(0.0, overlap) / span);
        }
    }
    return taps;
}

std::vector<Taps> bilinearTaps(int from, int to) {
    const double scale = static_cast<double>(from) / to;
    std::vector<Taps> taps(static_cast<std::size_t>(to));
    for (int i = 0; i < to; ++i) {
        const double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, from - 1.0);
        const int left = std::min(static_cast<int>(centre), from - 1);
        const double t = centre - left;
        taps[i].first = left;
        taps[i].weights = left + 1 < from ? std::vector<double>{1.0 - t, t} : std::vector<double>{1.0};
    }
    return taps;
}

std::vector<Taps> tapsFor(int from, int to) {
    return to < from ? areaTaps(from, to) : bilinearTaps(from, to);
}

}  // namespace

RgbaImage scaleIcon(const RgbaImage& source, int width, int height) {
    const std::size_t sourceSize = static_cast<std::size_t>(source.width) * source.height * 4;
    if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0 ||
        source.pixels.size() < sourceSize)
        return {};

    // Premultiplied, as doubles: channels 0..2 carry colour times alpha, channel 3 the alpha.
    std::vector<double> premultiplied(sourceSize);
    for (std::size_t p = 0; p < sourceSize; p += 4) {
        const double alpha = source.pixels[p + 3] / 255.0;
        for (int c = 0; c < 3; ++c) premultiplied[p + c] = source.pixels[p + c] * alpha;
        premultiplied[p + 3] = source.pixels[p + 3];
    }

    const auto across = tapsFor(source.width, width);
    std::vector<double> rows(static_cast<std::size_t>(width) * source.height * 4, 0.0);
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < width; ++x) {
            double* out = &rows[(static_cast<std::size_t>(y) * width + x) * 4];
            for (std::size_t k = 0; k < across[x].weights.size(); ++k) {
                const double* in =
                    &premultiplied[(static_cast<std::size_t>(y) * source.width + across[x].first + k) * 4];
                for (int c = 0; c < 4; ++c) out[c] += in[c] * across[x].weights[k];
            }
        }
    }

    const auto down = tapsFor(source.height, height);
    RgbaImage result{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double sum[4] = {0, 0, 0, 0};
            for (std::size_t k = 0; k < down[y].weights.size(); ++k) {
                const double* in = &rows[((down[y].first + k) * width + x) * 4];
                for (int c = 0; c < 4; ++c) sum[c] += in[c] * down[y].weights[k];
            }
            std::uint8_t* out = &result.pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            const double alpha = std::clamp(sum[3], 0.0, 255.0);
            const auto toByte = [](double v) {
                return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
            };
            for (int c = 0; c < 3; ++c) out[c] = alpha > 0.0 ? toByte(sum[c] * 255.0 / alpha) : 0;
            out[3] = toByte(alpha);
        }
    }
    return result;
}

}  // namespace tessary::packaging
