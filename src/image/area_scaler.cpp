// SPDX-License-Identifier: GPL-3.0-or-later
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

// sum := sum + the rows from[0..Count), or their sum alone for the first rows added (First), in 16 bits: an
// open row is settled before it holds more than kMaxWholeRows rows.
constexpr int kMaxWholeRows = 65535 / 255;
constexpr int kMaxRun = 4;

template <bool First, int Count>
void addRuns(std::uint16_t* __restrict sum, const std::uint8_t* const* from, std::size_t n) {
    const std::uint8_t* __restrict r[Count];
    for (int c = 0; c < Count; ++c) r[c] = from[c];
    auto add = [&](std::size_t i) {
        unsigned s = First ? 0 : sum[i];
        for (int c = 0; c < Count; ++c) s += r[c][i];
        sum[i] = static_cast<std::uint16_t>(s);
    };
    std::size_t i = 0;
    for (; i + kBlock <= n; i += kBlock)
        for (std::size_t k = 0; k < kBlock; ++k) add(i + k);
    for (; i < n; ++i) add(i);
}

template <bool First>
void addRows(std::uint16_t* sum, const std::uint8_t* const* from, int count, std::size_t n) {
    switch (count) {
        case 1:
            return addRuns<First, 1>(sum, from, n);
        case 2:
            return addRuns<First, 2>(sum, from, n);
        case 3:
            return addRuns<First, 3>(sum, from, n);
        default:
            return addRuns<First, 4>(sum, from, n);
    }
}

// columns := whole x dh + the cut rows x their weights (no whole rows: 0), each column's vertical sum, which
// stays below 2^32. With 16-bit factors (Factor uint16_t) the compiler multiplies in 16-bit vector lanes.
template <bool HasWhole, typename Factor>
void combine(std::uint32_t* __restrict columns, const std::uint16_t* __restrict whole,
             const std::uint16_t* __restrict above, const std::uint16_t* __restrict below, std::size_t n,
             Factor dh, Factor aboveWeight, Factor belowWeight) {
    auto one = [&](std::size_t i) {
        const std::uint32_t inside = HasWhole ? std::uint32_t{whole[i]} * std::uint32_t{dh} : 0;
        const std::uint32_t top = std::uint32_t{above[i]} * std::uint32_t{aboveWeight};
        const std::uint32_t bottom = std::uint32_t{below[i]} * std::uint32_t{belowWeight};
        columns[i] = inside + top + bottom;
    };
    std::size_t i = 0;
    for (; i + kBlock <= n; i += kBlock)
        for (std::size_t k = 0; k < kBlock; ++k) one(i + k);
    for (; i < n; ++i) one(i);
}

// The same for the open row's sums, with 16-bit factors where they are small enough.
void combineOpenRow(std::uint32_t* columns, const std::uint16_t* whole, bool hasWhole,
                    const std::uint16_t* above, const std::uint16_t* below, std::size_t n, std::uint32_t dh,
                    std::uint32_t aboveWeight, std::uint32_t belowWeight) {
    if (dh < 65536) {
        const auto h = static_cast<std::uint16_t>(dh), a = static_cast<std::uint16_t>(aboveWeight),
                   b = static_cast<std::uint16_t>(belowWeight);
        (hasWhole ? combine<true, std::uint16_t> : combine<false, std::uint16_t>)(columns, whole, above,
                                                                                  below, n, h, a, b);
    } else {
        (hasWhole ? combine<true, std::uint32_t> : combine<false, std::uint32_t>)(columns, whole, above,
                                                                                  below, n, dh, aboveWeight,
                                                                                  belowWeight);
    }
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
    if (left_ < 0 || top_ < 0 || left_ > width_ - windowWidth_ || top_ > height_ - windowHeight_)
        return false;
    if (static_cast<std::int64_t>(windowWidth_) * windowHeight_ > kMaxWindowPixels) return false;
    sourceWidth_ = width;
    sourceHeight_ = height;
    mean_ = RoundedMean(static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height));

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
    done_.assign(static_cast<std::size_t>(windowWidth_) * static_cast<std::size_t>(windowHeight_) * 3, 0);
    received_.assign(static_cast<std::size_t>(windowHeight_), 0);
    partial_.assign(static_cast<std::size_t>(windowHeight_), {});
    spare_.clear();
    // A weighted column sum stays below 2^32: the weights of one destination row add up to the source height.
    sourceFrom_ = columnStart_.front();
    const std::size_t needed =
        static_cast<std::size_t>(columnStart_.back() + columnCount_.back() - sourceFrom_) * 3;
    verticalFirst_ = height >= height_ && needed <= kMaxVerticalFirstColumns * 3;
    columns_.assign(verticalFirst_ ? needed : 0, 0);
    for (OpenRow& open : open_) {
        open.row = -1;
        open.received = 0;
        open.wholeRows = 0;
        open.whole.assign(verticalFirst_ ? needed : 0, 0);
        for (int i = 0; i < 2; ++i) {
            open.cut[i].assign(verticalFirst_ ? needed : 0, 0);
            open.cutWeight[i] = 0;
        }
    }
    ready_ = true;
    return true;
}

std::uint64_t* AreaScaler::partialRow(std::size_t r) const {
    std::vector<std::uint64_t>& row = partial_[r];
    if (row.empty()) {
        if (!spare_.empty()) {
            row = std::move(spare_.back());
            spare_.pop_back();
        }
        row.assign(static_cast<std::size_t>(windowWidth_) * 3, 0);
    }
    return row.data();
}

void AreaScaler::received(std::size_t r, std::uint64_t weight) const {
    received_[r] += weight;
    if (received_[r] == static_cast<std::uint64_t>(sourceHeight_) && !partial_[r].empty()) finish(r);
}

void AreaScaler::finish(std::size_t r) const {
    const std::size_t n = static_cast<std::size_t>(windowWidth_) * 3;
    const std::uint64_t* sum = partial_[r].data();
    std::uint8_t* out = done_.data() + r * n;
    for (std::size_t i = 0; i < n; ++i) out[i] = mean(sum[i]);
    spare_.push_back(std::move(partial_[r]));
    partial_[r].clear();
}

void AreaScaler::settle(OpenRow& open) const {
    if (open.row < 0) return;
    // A column's vertical sum: its whole rows weighted by the destination height, and its cut rows by theirs.
    combineOpenRow(columns_.data(), open.whole.data(), open.wholeRows > 0, open.cut[0].data(),
                   open.cut[1].data(), columns_.size(), static_cast<std::uint32_t>(height_),
                   open.cutWeight[0], open.cutWeight[1]);
    const std::uint32_t* columns = columns_.data();
    const auto r = static_cast<std::size_t>(open.row - top_);
    // A row whose sources all came in one piece is finished straight away.
    const bool complete =
        partial_[r].empty() && received_[r] + open.received == static_cast<std::uint64_t>(sourceHeight_);
    std::uint8_t* out = done_.data() + r * static_cast<std::size_t>(windowWidth_) * 3;
    std::uint64_t* sum = complete ? nullptr : partialRow(r);
    const std::uint64_t dw = static_cast<std::uint64_t>(width_);
    for (int c = 0; c < windowWidth_; ++c) {
        // Of the source columns a destination column covers, all but the first and the last lie wholly
        // inside it and weigh the destination width: they are added up first and weighted once.
        const std::uint32_t* p = columns + static_cast<std::size_t>(columnStart_[c] - sourceFrom_) * 3;
        const int count = columnCount_[c];
        const std::uint32_t* w = columnWeights_.data() + columnWeightAt_[c];
        std::uint64_t rgb[3] = {std::uint64_t{w[0]} * p[0], std::uint64_t{w[0]} * p[1],
                                std::uint64_t{w[0]} * p[2]};
        if (count > 1) {
            const std::uint32_t* q = p + static_cast<std::size_t>(count - 1) * 3;
            std::uint64_t inside[3] = {0, 0, 0};
            for (const std::uint32_t* i = p + 3; i < q; i += 3)
                for (int ch = 0; ch < 3; ++ch) inside[ch] += i[ch];
            for (int ch = 0; ch < 3; ++ch) rgb[ch] += std::uint64_t{w[count - 1]} * q[ch] + dw * inside[ch];
        }
        if (complete) {
            for (int ch = 0; ch < 3; ++ch) out[ch] = mean(rgb[ch]);
            out += 3;
        } else {
            for (int ch = 0; ch < 3; ++ch) sum[ch] += rgb[ch];
            sum += 3;
        }
    }
    if (complete)
        received_[r] += open.received;
    else
        received(r, open.received);
    open.row = -1;
    open.received = 0;
    open.wholeRows = 0;
    open.cutWeight[0] = open.cutWeight[1] = 0;
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
            const std::uint32_t weight = static_cast<std::uint32_t>(overlap(y, j, sh, dh));
            if (weight == static_cast<std::uint32_t>(dh)) {
                addWholeRows(j, &from, 1);
                continue;
            }
            OpenRow& open = openRow(j);
            open.received += weight;
            // The first source row of destination row j starts above it, the last ends below it.
            const int side = std::int64_t{y} * dh < j * sh ? 0 : 1;
            std::copy_n(from, open.cut[side].size(), open.cut[side].data());  // widened to 16 bits
            open.cutWeight[side] = weight;
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
        const auto r = static_cast<std::size_t>(j - top_);
        if (partial_[r].empty() && received_[r] + weight == static_cast<std::uint64_t>(sh)) {
            std::uint8_t* out = done_.data() + r * rowLength;
            for (std::size_t n = 0; n < rowLength; ++n) out[n] = mean(weight * rowSums_[n]);
            received_[r] += weight;
            continue;
        }
        std::uint64_t* sum = partialRow(r);
        for (std::size_t n = 0; n < rowLength; ++n) sum[n] += weight * rowSums_[n];
        received(r, weight);
    }
}

AreaScaler::OpenRow& AreaScaler::openRow(std::int64_t j) const {
    OpenRow& open = open_[j & 1];
    if (open.row != j) {
        settle(open);
        open.row = j;
    }
    return open;
}

void AreaScaler::addWholeRows(std::int64_t j, const std::uint8_t* const* from, int count) {
    OpenRow& open = openRow(j);
    if (open.wholeRows + count > kMaxWholeRows) {
        settle(open);
        open.row = j;
    }
    open.received += static_cast<std::uint64_t>(count) * static_cast<std::uint64_t>(height_);
    (open.wholeRows > 0 ? addRows<false> : addRows<true>)(open.whole.data(), from, count, open.whole.size());
    open.wholeRows += count;
}

void AreaScaler::rows(int y, const std::uint8_t* rgb, std::size_t stride, int count) {
    if (!ready_ || !verticalFirst_ || y < 0 || count <= 0 || count > sourceHeight_ - y) {
        RowSink::rows(y, rgb, stride, count);
        return;
    }
    const std::int64_t sh = sourceHeight_;
    const std::int64_t dh = height_;
    // Whether source row k lies wholly inside window row j.
    auto inside = [&](std::int64_t k, std::int64_t j) {
        return j >= top_ && j < top_ + windowHeight_ && k * dh >= j * sh && (k + 1) * dh <= (j + 1) * sh;
    };
    const std::size_t offset = static_cast<std::size_t>(sourceFrom_) * 3;
    for (int i = 0; i < count;) {
        const std::int64_t k = std::int64_t{y} + i;
        const std::int64_t j = k * dh / sh;
        int run = 0;
        const std::uint8_t* from[kMaxRun];
        while (run < kMaxRun && i + run < count && inside(k + run, j)) {
            from[run] = rgb + static_cast<std::size_t>(i + run) * stride + offset;
            ++run;
        }
        if (run < 2) {
            row(static_cast<int>(k), rgb + static_cast<std::size_t>(i) * stride);
            ++i;
            continue;
        }
        addWholeRows(j, from, run);
        i += run;
    }
}

RowSink* AreaScaler::splitAt(int first) {
    band_.reset();
    if (!ready_ || first <= 0 || first >= sourceHeight_) return nullptr;
    const std::int64_t bandTop = std::max<std::int64_t>(std::int64_t{first} * height_ / sourceHeight_, top_);
    const std::int64_t end = top_ + windowHeight_;
    if (bandTop >= end) return nullptr;
    band_ = std::make_unique<AreaScaler>(width_, height_, left_, static_cast<int>(bandTop), windowWidth_,
                                         static_cast<int>(end - bandTop));
    if (!band_->begin(sourceWidth_, sourceHeight_)) band_.reset();
    return band_.get();
}

void AreaScaler::join() {
    if (!band_) return;
    settleAll();
    band_->settleAll();
    const std::size_t rowLength = static_cast<std::size_t>(windowWidth_) * 3;
    for (std::size_t b = 0; b < band_->received_.size(); ++b) {
        const std::size_t r = static_cast<std::size_t>(band_->top_ - top_) + b;
        if (!band_->partial_[b].empty()) {
            std::uint64_t* sum = partialRow(r);
            const std::uint64_t* from = band_->partial_[b].data();
            for (std::size_t i = 0; i < rowLength; ++i) sum[i] += from[i];
            received(r, band_->received_[b]);
        } else if (band_->received_[b] > 0) {
            std::copy_n(band_->done_.data() + b * rowLength, rowLength, done_.data() + r * rowLength);
            received_[r] += band_->received_[b];
        }
    }
    band_.reset();
}

Raster AreaScaler::result() const {
    if (!ready_) return {};
    Raster out(windowWidth_, windowHeight_);
    writeTo(out, 0, 0);
    return out;
}

Raster AreaScaler::take() {
    if (!ready_) return {};
    settleAll();
    if (!std::all_of(partial_.begin(), partial_.end(), [](const auto& row) { return row.empty(); }))
        return result();
    Raster out;
    out.width = windowWidth_;
    out.height = windowHeight_;
    out.rgb = std::move(done_);
    ready_ = false;
    return out;
}

void AreaScaler::writeTo(Raster& dst, int left, int top) const {
    if (!ready_) return;
    settleAll();
    const int fromX = std::max(0, -left);
    const int fromY = std::max(0, -top);
    const int toX =
        static_cast<int>(std::min<std::int64_t>(windowWidth_, static_cast<std::int64_t>(dst.width) - left));
    const int toY =
        static_cast<int>(std::min<std::int64_t>(windowHeight_, static_cast<std::int64_t>(dst.height) - top));
    if (fromX >= toX) return;
    const std::size_t rowLength = static_cast<std::size_t>(windowWidth_) * 3;
    for (int y = fromY; y < toY; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * rowLength + fromX * 3;
        std::uint8_t* out = dst.at(left + fromX, top + y);
        const int n = (toX - fromX) * 3;
        // A row still waiting for some of its sources has its means taken of what came.
        if (const auto& partial = partial_[static_cast<std::size_t>(y)]; !partial.empty()) {
            const std::uint64_t* sum = partial.data() + fromX * 3;
            for (int i = 0; i < n; ++i) out[i] = mean(sum[i]);
        } else {
            std::copy_n(done_.data() + at, n, out);
        }
    }
}

namespace {

// For each destination index from..from+count-1 on an axis enlarged from src to dst pixels: the (at most
// two) source pixels it covers and their overlaps; the second weight is 0 where there is one.
struct Taps {
    std::vector<int> first, second;
    std::vector<std::uint32_t> firstWeight, secondWeight;
};

Taps enlargingTaps(std::int64_t src, std::int64_t dst, int from, int count) {
    Taps t;
    t.first.resize(static_cast<std::size_t>(count));
    t.second.resize(static_cast<std::size_t>(count));
    t.firstWeight.resize(static_cast<std::size_t>(count));
    t.secondWeight.resize(static_cast<std::size_t>(count));
    for (int c = 0; c < count; ++c) {
        const std::int64_t start = (from + c) * src;
        const std::int64_t k = start / dst;
        const std::int64_t w = std::min((k + 1) * dst, start + src) - start;
        t.first[c] = static_cast<int>(k);
        t.second[c] = static_cast<int>(w < src ? k + 1 : k);
        t.firstWeight[c] = static_cast<std::uint32_t>(w);
        t.secondWeight[c] = static_cast<std::uint32_t>(src - w);
    }
    return t;
}

// Runs of window columns whose two source pixels lie at the same distance behind them (most columns when
// a side barely grows): there, output element e of a row is weightA[e] x source element e + shift plus
// weightB[e] x source element e + shift + 3, which the compiler makes vector code of; the other columns
// (Straight false) are added up one by one.
struct ColumnRun {
    int from = 0, to = 0;
    bool straight = false;
    std::ptrdiff_t shift = 0;
};
constexpr int kMinStraightRun = 8;

struct ColumnPlan {
    std::vector<ColumnRun> runs;
    std::vector<std::uint16_t> weightA, weightB;  // per output element of the straight runs
};

ColumnPlan planColumns(const Taps& t, int sourceWidth) {
    ColumnPlan plan;
    const int count = static_cast<int>(t.first.size());
    // Weights below 2^16 multiply in 16-bit lanes.
    const bool small = sourceWidth < 65536;
    auto straightAt = [&](int c) { return small && t.second[c] == t.first[c] + 1; };
    for (int c = 0; c < count;) {
        int end = c + 1;
        if (straightAt(c))
            while (end < count && straightAt(end) && t.first[end] - end == t.first[c] - c) ++end;
        ColumnRun run{c, end, straightAt(c) && end - c >= kMinStraightRun,
                      (static_cast<std::ptrdiff_t>(t.first[c]) - c) * 3};
        if (!plan.runs.empty() && !run.straight && !plan.runs.back().straight)
            plan.runs.back().to = end;
        else
            plan.runs.push_back(run);
        c = end;
    }
    plan.weightA.resize(static_cast<std::size_t>(count) * 3);
    plan.weightB.resize(static_cast<std::size_t>(count) * 3);
    for (int c = 0; c < count && small; ++c)
        for (int ch = 0; ch < 3; ++ch) {
            plan.weightA[c * 3 + ch] = static_cast<std::uint16_t>(t.firstWeight[c]);
            plan.weightB[c * 3 + ch] = static_cast<std::uint16_t>(t.secondWeight[c]);
        }
    return plan;
}

// One source row's horizontal sums for the window's columns, red first.
void enlargeRow(std::uint32_t* __restrict out, const std::uint8_t* __restrict row, const Taps& t,
                const ColumnPlan& plan) {
    for (const ColumnRun& run : plan.runs) {
        if (run.straight) {
            const std::size_t from = static_cast<std::size_t>(run.from) * 3,
                              to = static_cast<std::size_t>(run.to) * 3;
            const std::uint8_t* p = row + run.shift;
            const std::uint8_t* q = p + 3;
            const std::uint16_t* a = plan.weightA.data();
            const std::uint16_t* b = plan.weightB.data();
            auto one = [&](std::size_t e) {
                const std::uint32_t x = std::uint32_t{a[e]} * std::uint32_t{std::uint16_t{p[e]}};
                const std::uint32_t y = std::uint32_t{b[e]} * std::uint32_t{std::uint16_t{q[e]}};
                out[e] = x + y;
            };
            std::size_t e = from;
            for (; e + kBlock <= to; e += kBlock)
                for (std::size_t k = 0; k < kBlock; ++k) one(e + k);
            for (; e < to; ++e) one(e);
            continue;
        }
        for (int c = run.from; c < run.to; ++c) {
            const std::uint8_t* p = row + static_cast<std::size_t>(t.first[c]) * 3;
            const std::uint8_t* q = row + static_cast<std::size_t>(t.second[c]) * 3;
            const std::uint32_t a = t.firstWeight[c];
            const std::uint32_t b = t.secondWeight[c];
            for (int ch = 0; ch < 3; ++ch) out[c * 3 + ch] = a * p[ch] + b * q[ch];
        }
    }
}

// Vertical pass and rounding of one destination row from the horizontal sums of its two source rows.
template <typename Sum>
void meanRow(std::uint8_t* __restrict out, const std::uint32_t* __restrict upper,
             const std::uint32_t* __restrict lower, std::size_t n, std::uint32_t upperWeight,
             std::uint32_t lowerWeight, const RoundedMean& mean) {
    for (std::size_t i = 0; i < n; ++i)
        out[i] = mean(Sum{upperWeight} * upper[i] + Sum{lowerWeight} * lower[i]);
}

// The same for source pictures of fewer than 2^23 pixels (the snapshot's): there the sum is below 2^31,
// and (sum + 1/2) / divisor in double precision, off by less than 2^-40, never crosses an integer that the
// exact quotient does not (those lie at least 1 / (2 x divisor) > 2^-24 away), so truncating it gives the
// rounded mean without a correction; the compiler makes vector code of it.
void meanRowSmall(std::uint8_t* __restrict out, const std::uint32_t* __restrict upper,
                  const std::uint32_t* __restrict lower, std::size_t n, std::uint32_t upperWeight,
                  std::uint32_t lowerWeight, std::uint32_t divisor) {
    const double half = static_cast<double>(divisor / 2) + 0.5;
    const double inverse = 1.0 / static_cast<double>(divisor);
    // The sum is taken in double precision too, where it is exact, which spares 32-bit multiplications.
    const double a = upperWeight, b = lowerWeight;
    auto one = [&](std::size_t i) {
        const double sum = a * static_cast<std::int32_t>(upper[i]) + b * static_cast<std::int32_t>(lower[i]);
        out[i] = static_cast<std::uint8_t>(static_cast<std::int32_t>((sum + half) * inverse));
    };
    std::size_t i = 0;
    for (; i + kBlock <= n; i += kBlock)
        for (std::size_t k = 0; k < kBlock; ++k) one(i + k);
    for (; i < n; ++i) one(i);
}

constexpr std::uint64_t kSmallDivisor = std::uint64_t{1} << 23;

}  // namespace

bool enlargeArea(const Raster& picture, int width, int height, int left, int top, int windowWidth,
                 int windowHeight, const RowTarget& to) {
    const int sw = picture.width;
    const int sh = picture.height;
    if (sw <= 0 || sh <= 0 || sw > AreaScaler::kMaxSourceSide || sh > AreaScaler::kMaxSourceSide)
        return false;
    if (width < sw || height < sh || windowWidth <= 0 || windowHeight <= 0) return false;
    if (left < 0 || top < 0 || left > width - windowWidth || top > height - windowHeight) return false;
    if (static_cast<std::int64_t>(windowWidth) * windowHeight > AreaScaler::kMaxWindowPixels) return false;

    const Taps columns = enlargingTaps(sw, width, left, windowWidth);
    const Taps rows = enlargingTaps(sh, height, top, windowHeight);
    const RoundedMean mean(static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh));
    const bool narrow = mean.divisor() <= UINT32_MAX / 255;
    const std::size_t rowLength = static_cast<std::size_t>(windowWidth) * 3;
    const ColumnPlan plan = planColumns(columns, sw);
    // The horizontal sums of the last two source rows used (slot y % 2).
    std::vector<std::uint32_t> sums[2] = {std::vector<std::uint32_t>(rowLength),
                                          std::vector<std::uint32_t>(rowLength)};
    int summed[2] = {-1, -1};
    auto horizontal = [&](int y) -> const std::uint32_t* {
        std::uint32_t* out = sums[y & 1].data();
        if (summed[y & 1] != y) enlargeRow(out, picture.at(0, y), columns, plan);
        summed[y & 1] = y;
        return out;
    };
    for (int r = 0; r < windowHeight; ++r) {
        std::uint8_t* out = to.first + r * to.stride;
        const std::uint32_t* upper = horizontal(rows.first[r]);
        const std::uint32_t* lower = horizontal(rows.second[r]);
        if (mean.divisor() < kSmallDivisor)
            meanRowSmall(out, upper, lower, rowLength, rows.firstWeight[r], rows.secondWeight[r],
                         static_cast<std::uint32_t>(mean.divisor()));
        else if (narrow)
            meanRow<std::uint32_t>(out, upper, lower, rowLength, rows.firstWeight[r], rows.secondWeight[r],
                                   mean);
        else
            meanRow<std::uint64_t>(out, upper, lower, rowLength, rows.firstWeight[r], rows.secondWeight[r],
                                   mean);
        if (to.bgr)
            for (std::size_t i = 0; i < rowLength; i += 3) std::swap(out[i], out[i + 2]);
    }
    return true;
}

}  // namespace tessary::image
