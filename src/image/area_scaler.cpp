#include "image/area_scaler.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <type_traits>

namespace tessary::image {
namespace {

// Source pixel k spans [k * dst, (k + 1) * dst) and destination pixel i spans [i * src, (i + 1) * src)
// on a common axis of src * dst units; the weights are the integer overlaps, summing to src for each i.
std::int64_t overlap(std::int64_t k, std::int64_t i, std::int64_t src, std::int64_t dst) {
    const std::int64_t from = std::max(k * dst, i * src);
    const std::int64_t to = std::min((k + 1) * dst, (i + 1) * src);
    return to > from ? to - from : 0;
}

// The loops below go in blocks of fixed length, so that the compiler makes vector code of them at -O2.
constexpr std::size_t kBlock = 32;

void addRow(std::uint32_t* __restrict sum, const std::uint8_t* __restrict from, std::size_t n) {
    std::size_t i = 0;
    for (; i + kBlock <= n; i += kBlock)
        for (std::size_t k = 0; k < kBlock; ++k) sum[i + k] += from[i + k];
    for (; i < n; ++i) sum[i] += from[i];
}

void addRowWeighted(std::uint32_t* __restrict sum, const std::uint8_t* __restrict from, std::size_t n,
                    std::uint32_t weight) {
    std::size_t i = 0;
    for (; i + kBlock <= n; i += kBlock)
        for (std::size_t k = 0; k < kBlock; ++k) sum[i + k] += weight * from[i + k];
    for (; i < n; ++i) sum[i] += weight * from[i];
}

// whole := whole * weight + weighted
void combine(std::uint32_t* __restrict whole, const std::uint32_t* __restrict weighted, std::size_t n,
             std::uint32_t weight) {
    std::size_t i = 0;
    for (; i + kBlock <= n; i += kBlock)
        for (std::size_t k = 0; k < kBlock; ++k) whole[i + k] = whole[i + k] * weight + weighted[i + k];
    for (; i < n; ++i) whole[i] = whole[i] * weight + weighted[i];
}

// Wider sources take the horizontal pass per source row, so that the open rows stay small.
constexpr std::size_t kMaxVerticalFirstColumns = std::size_t{1} << 17;

}  // namespace

AreaScaler::AreaScaler(int width, int height) : AreaScaler(width, height, 0, 0, width, height) {}

AreaScaler::AreaScaler(int width, int height, int left, int top, int windowWidth, int windowHeight)
    : width_(width),
      height_(height),
      left_(left),
      top_(top),
      windowWidth_(windowWidth),
      windowHeight_(windowHeight) {}

bool AreaScaler::begin(int width, int height) {
    ready_ = false;
    if (width <= 0 || height <= 0 || width > kMaxSourceSide || height > kMaxSourceSide) return false;
    if (width_ <= 0 || height_ <= 0 || windowWidth_ <= 0 || windowHeight_ <= 0) return false;
    if (left_ < 0 || top_ < 0 || left_ > width_ - windowWidth_ || top_ > height_ - windowHeight_) return false;
    if (static_cast<std::int64_t>(windowWidth_) * windowHeight_ > kMaxWindowPixels) return false;
    sourceWidth_ = width;
    sourceHeight_ = height;
    divisor_ = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    half_ = divisor_ / 2;
    reciprocal_ = 1.0 / static_cast<double>(divisor_);

    const std::int64_t sw = width;
    const std::int64_t dw = width_;
    columnStart_.assign(static_cast<std::size_t>(windowWidth_), 0);
    columnCount_.assign(static_cast<std::size_t>(windowWidth_), 0);
    columnWeightAt_.assign(static_cast<std::size_t>(windowWidth_), 0);
    columnWeights_.clear();
    for (int c = 0; c < windowWidth_; ++c) {
        const std::int64_t i = left_ + c;
        const std::int64_t first = i * sw / dw;
        const std::int64_t end = std::min(sw, ((i + 1) * sw + dw - 1) / dw);
        columnStart_[c] = static_cast<int>(first);
        columnCount_[c] = static_cast<int>(end - first);
        columnWeightAt_[c] = static_cast<std::uint32_t>(columnWeights_.size());
        for (std::int64_t k = first; k < end; ++k)
            columnWeights_.push_back(static_cast<std::uint32_t>(overlap(k, i, sw, dw)));
    }
    rowSums_.assign(static_cast<std::size_t>(windowWidth_) * 3, 0);
    // A destination pixel's weights add up to the divisor, so its sum is at most 255 x the divisor.
    const std::size_t sumCount = static_cast<std::size_t>(windowWidth_) * static_cast<std::size_t>(windowHeight_) * 3;
    narrow_ = divisor_ <= UINT32_MAX / 255;
    sums_.clear();
    narrowSums_.clear();
    if (narrow_)
        narrowSums_.assign(sumCount, 0);
    else
        sums_.assign(sumCount, 0);
    // A weighted column sum stays below 2^32: the weights of one destination row add up to the source height.
    sourceFrom_ = columnStart_.front();
    const std::size_t needed = static_cast<std::size_t>(columnStart_.back() + columnCount_.back() - sourceFrom_) * 3;
    verticalFirst_ = height >= height_ && needed <= kMaxVerticalFirstColumns * 3;
    for (OpenRow& open : open_) {
        open.row = -1;
        open.whole.assign(verticalFirst_ ? needed : 0, 0);
        open.weighted.assign(verticalFirst_ ? needed : 0, 0);
    }
    ready_ = true;
    return true;
}

void AreaScaler::settle(OpenRow& open) const {
    if (open.row < 0) return;
    combine(open.whole.data(), open.weighted.data(), open.whole.size(), static_cast<std::uint32_t>(height_));
    const std::size_t at = static_cast<std::size_t>(open.row - top_) * windowWidth_ * 3;
    auto horizontal = [&](auto* sum) {
        using Sum = std::remove_pointer_t<decltype(sum)>;
        for (int c = 0; c < windowWidth_; ++c, sum += 3) {
            const std::uint32_t* p = open.whole.data() + static_cast<std::size_t>(columnStart_[c] - sourceFrom_) * 3;
            const std::uint32_t* w = columnWeights_.data() + columnWeightAt_[c];
            std::uint64_t r = 0, g = 0, b = 0;
            for (int n = columnCount_[c]; n > 0; --n, p += 3, ++w) {
                r += std::uint64_t{*w} * p[0];
                g += std::uint64_t{*w} * p[1];
                b += std::uint64_t{*w} * p[2];
            }
            sum[0] += static_cast<Sum>(r);
            sum[1] += static_cast<Sum>(g);
            sum[2] += static_cast<Sum>(b);
        }
    };
    if (narrow_)
        horizontal(narrowSums_.data() + at);
    else
        horizontal(sums_.data() + at);
    std::fill(open.whole.begin(), open.whole.end(), 0);
    std::fill(open.weighted.begin(), open.weighted.end(), 0);
    open.row = -1;
}

void AreaScaler::settleAll() const {
    for (OpenRow& open : open_) settle(open);
}

void AreaScaler::row(int y, const std::uint8_t* rgb) {
    if (!ready_ || y < 0 || y >= sourceHeight_) return;
    const std::int64_t sh = sourceHeight_;
    const std::int64_t dh = height_;
    const std::int64_t firstRow = std::max<std::int64_t>(y * dh / sh, top_);
    const std::int64_t endRow = std::min<std::int64_t>(((y + 1) * dh + sh - 1) / sh, top_ + windowHeight_);
    if (firstRow >= endRow) return;

    if (verticalFirst_) {
        const std::uint8_t* from = rgb + static_cast<std::size_t>(sourceFrom_) * 3;
        for (std::int64_t j = firstRow; j < endRow; ++j) {
            OpenRow& open = open_[j & 1];
            if (open.row != j) {
                settle(open);
                open.row = j;
            }
            const std::uint32_t weight = static_cast<std::uint32_t>(overlap(y, j, sh, dh));
            if (weight == static_cast<std::uint32_t>(dh)) {
                addRow(open.whole.data(), from, open.whole.size());
            } else {
                addRowWeighted(open.weighted.data(), from, open.weighted.size(), weight);
            }
        }
        return;
    }

    std::uint32_t* out = rowSums_.data();
    for (int c = 0; c < windowWidth_; ++c, out += 3) {
        const std::uint8_t* p = rgb + static_cast<std::size_t>(columnStart_[c]) * 3;
        const std::uint32_t* w = columnWeights_.data() + columnWeightAt_[c];
        std::uint32_t r = 0, g = 0, b = 0;
        for (int n = columnCount_[c]; n > 0; --n, p += 3, ++w) {
            r += *w * p[0];
            g += *w * p[1];
            b += *w * p[2];
        }
        out[0] = r;
        out[1] = g;
        out[2] = b;
    }
    const std::size_t rowLength = static_cast<std::size_t>(windowWidth_) * 3;
    for (std::int64_t j = firstRow; j < endRow; ++j) {
        const std::uint64_t weight = static_cast<std::uint64_t>(overlap(y, j, sh, dh));
        const std::size_t at = static_cast<std::size_t>(j - top_) * rowLength;
        if (narrow_) {
            std::uint32_t* sum = narrowSums_.data() + at;
            for (std::size_t n = 0; n < rowLength; ++n)
                sum[n] += static_cast<std::uint32_t>(weight * rowSums_[n]);
        } else {
            std::uint64_t* sum = sums_.data() + at;
            for (std::size_t n = 0; n < rowLength; ++n) sum[n] += weight * rowSums_[n];
        }
    }
}

Raster AreaScaler::result() const {
    if (!ready_) return {};
    Raster out(windowWidth_, windowHeight_);
    writeTo(out, 0, 0);
    return out;
}

void AreaScaler::writeTo(Raster& dst, int left, int top) const {
    if (!ready_) return;
    settleAll();
    const int fromX = std::max(0, -left);
    const int fromY = std::max(0, -top);
    const int toX = static_cast<int>(std::min<std::int64_t>(windowWidth_, static_cast<std::int64_t>(dst.width) - left));
    const int toY = static_cast<int>(std::min<std::int64_t>(windowHeight_, static_cast<std::int64_t>(dst.height) - top));
    if (fromX >= toX) return;
    const std::size_t rowLength = static_cast<std::size_t>(windowWidth_) * 3;
    for (int y = fromY; y < toY; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * rowLength + fromX * 3;
        std::uint8_t* out = dst.at(left + fromX, top + y);
        if (narrow_) {
            const std::uint32_t* sum = narrowSums_.data() + at;
            for (int n = (toX - fromX) * 3; n > 0; --n) *out++ = mean(*sum++);
        } else {
            const std::uint64_t* sum = sums_.data() + at;
            for (int n = (toX - fromX) * 3; n > 0; --n) *out++ = mean(*sum++);
        }
    }
}

}  // namespace tessary::image
