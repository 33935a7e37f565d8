// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Luma and colour-difference samples of 8 bits turned into RGB, a row at a time. Colour samples shared by
// 2 x 2 (or 2 x 1) pixels are taken as they are, for each of those pixels.
#include <cmath>
#include <cstdint>

namespace tessary::image::decode {

class YcbcrToRgb {
  public:
    // `matrix` is the H.273 matrix coefficients code: 1 (BT.709) and 9 (BT.2020) are told apart, any
    // other is taken as BT.601 (also where a file says nothing).
    YcbcrToRgb(int matrix, bool fullRange) {
        double kr = 0.299, kb = 0.114;
        if (matrix == 1) kr = 0.2126, kb = 0.0722;
        if (matrix == 9) kr = 0.2627, kb = 0.0593;
        const double kg = 1 - kr - kb;
        const double chromaScale = fullRange ? 1.0 : 255.0 / 224;
        // Each term in 1/65536ths, looked up per sample value; the half for rounding is in the luma term.
        for (int v = 0; v < 256; ++v) {
            const double c = (v - 128.0) * chromaScale * 65536;
            const double l = (fullRange ? v : (v - 16) * (255.0 / 219)) * 65536 + 32768;
            luma_[v] = static_cast<std::int32_t>(std::lround(l));
            crToR_[v] = static_cast<std::int32_t>(std::lround(2 * (1 - kr) * c));
            cbToB_[v] = static_cast<std::int32_t>(std::lround(2 * (1 - kb) * c));
            toG_[v][0] = static_cast<std::int32_t>(std::lround(-2 * (1 - kb) * kb / kg * c));
            toG_[v][1] = static_cast<std::int32_t>(std::lround(-2 * (1 - kr) * kr / kg * c));
        }
    }

    // `width` pixels from the start of a row; the colour samples are shared by 1 << shiftX of them.
    void row(const std::uint8_t* luma, const std::uint8_t* cb, const std::uint8_t* cr, int shiftX, int width,
             std::uint8_t* rgb) const {
        for (int x = 0; x < width; ++x, rgb += 3) {
            const std::int32_t l = luma_[luma[x]];
            const int b = cb[x >> shiftX], r = cr[x >> shiftX];
            rgb[0] = clamp(l + crToR_[r]);
            rgb[1] = clamp(l + toG_[b][0] + toG_[r][1]);
            rgb[2] = clamp(l + cbToB_[b]);
        }
    }

  private:
    static std::uint8_t clamp(std::int32_t v) {
        return static_cast<std::uint8_t>(v <= 0 ? 0 : v >= (255 << 16) ? 255 : v >> 16);
    }
    std::int32_t luma_[256] = {};
    std::int32_t crToR_[256] = {};
    std::int32_t cbToB_[256] = {};
    std::int32_t toG_[256][2] = {};  // from Cb, from Cr
};

}  // namespace tessary::image::decode
