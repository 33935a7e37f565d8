// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Area averaging ("halftone" stretching): a destination pixel is the mean of the source area it covers,
// each source pixel weighted by the fraction of it that lies inside. Used for shrinking and enlarging
// alike, so flat areas keep their colour exactly. Rows may arrive in any order, so a decoder can feed
// a large picture straight in without it ever being held whole.
#include <cstdint>
#include <memory>
#include <vector>

#include "image/row_sink.h"
#include "raster/raster.h"

namespace tessary::image {

// (sum + divisor / 2) / divisor, rounded down, for a divisor below 2^48 and a sum up to 256 x the divisor:
// estimated through the reciprocal (a division per byte of the result is the slowest step of a snapshot).
// Below 2^36, (sum + 1/2) x the reciprocal in double precision is off by less than 2^-43, while the
// integers it must not cross lie at least 1 / (2 x divisor) away, so it is truncated as it is; above, the
// estimate is corrected by one where it is off.
class RoundedMean {
  public:
    explicit RoundedMean(std::uint64_t divisor)
        : divisor_(divisor),
          half_(divisor / 2),
          reciprocal_(1.0 / static_cast<double>(divisor)),
          halfAndABit_(static_cast<double>(divisor / 2) + 0.5),
          direct_(divisor < (std::uint64_t{1} << 36)) {}
    std::uint64_t divisor() const { return divisor_; }
    std::uint8_t operator()(std::uint64_t sum) const {
        // Below 2^63, so the signed conversions (single instructions) do.
        if (direct_)
            return static_cast<std::uint8_t>(static_cast<std::int64_t>(
                (static_cast<double>(static_cast<std::int64_t>(sum)) + halfAndABit_) * reciprocal_));
        const std::uint64_t n = sum + half_;
        std::uint64_t q = static_cast<std::uint64_t>(
            static_cast<std::int64_t>(static_cast<double>(static_cast<std::int64_t>(n)) * reciprocal_));
        if (q * divisor_ > n)
            --q;
        else if ((q + 1) * divisor_ <= n)
            ++q;
        return static_cast<std::uint8_t>(q);
    }

  private:
    std::uint64_t divisor_;
    std::uint64_t half_;
    double reciprocal_;
    double halfAndABit_;
    bool direct_;
};

class AreaScaler : public RowSink {
  public:
    // Sources wider or taller than this are refused by begin(), so a horizontal sum fits 32 bits.
    static constexpr int kMaxSourceSide = 1 << 24;
    // Larger destination windows are refused by begin().
    static constexpr std::int64_t kMaxWindowPixels = std::int64_t{1} << 24;

    // Scales to width x height and computes the whole destination.
    AreaScaler(int width, int height);
    // Scales to width x height but computes only the window (left, top, windowWidth, windowHeight) of it,
    // for a picture drawn partly outside its canvas.
    AreaScaler(int width, int height, int left, int top, int windowWidth, int windowHeight);

    bool begin(int width, int height) override;
    void row(int y, const std::uint8_t* rgb) override;
    void rows(int y, const std::uint8_t* rgb, std::size_t stride, int count) override;
    // The band from source row `first` on goes to a scaler of the destination rows it touches; its sums
    // are added to these by join().
    RowSink* splitAt(int first) override;
    void join() override;

    // The window's pixels (rows never delivered count as black).
    Raster result() const;
    // The same, taken out of the scaler, which then takes no more rows until begun again.
    Raster take();
    // Copies the window's pixels into dst with its top-left at (left, top); what falls outside dst is
    // dropped.
    void writeTo(Raster& dst, int left, int top) const;

  private:
    std::uint8_t mean(std::uint64_t sum) const { return mean_(sum); }
    // Shrinking in height, the source rows that lie wholly inside a destination row are first added up, in
    // 16 bits, into a full-width row of it; the (at most two) rows that are cut, its first and its last,
    // are kept as they came with their weights. The horizontal pass then runs once per destination row
    // instead of once per source row. Destination row j accumulates in slot j % 2, and is settled when the
    // slot is needed for another row, when its sums could overflow, or when the result is read.
    struct OpenRow {
        std::int64_t row = -1;
        std::uint64_t received = 0;        // the vertical weight added
        int wholeRows = 0;                 // how many rows whole holds (none: it is stale)
        std::vector<std::uint16_t> whole;  // the source columns the window needs, x 3
        // The cut rows above and below (those columns), and their weights; 0 for none.
        std::vector<std::uint16_t> cut[2];
        std::uint32_t cutWeight[2] = {0, 0};
    };
    // Adds source rows that lie wholly inside window row j to its open row.
    void addWholeRows(std::int64_t j, const std::uint8_t* const* from, int count);
    // The open row for window row j, the row it held settled first.
    OpenRow& openRow(std::int64_t j) const;
    void settle(OpenRow& open) const;
    void settleAll() const;
    // A window row's sums: once all its vertical weight (the source height) is in, its means go to done_;
    // until then, they wait in a row of partial sums (only rows whose sources came in pieces have one).
    std::uint64_t* partialRow(std::size_t r) const;
    void received(std::size_t r, std::uint64_t weight) const;
    void finish(std::size_t r) const;

    int width_;
    int height_;
    int left_;
    int top_;
    int windowWidth_;
    int windowHeight_;
    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
    bool ready_ = false;
    RoundedMean mean_{1};
    // For each window column: its first source column, how many source columns it covers, and the
    // offset of their weights in columnWeights_.
    std::vector<int> columnStart_;
    std::vector<int> columnCount_;
    std::vector<std::uint32_t> columnWeightAt_;
    std::vector<std::uint32_t> columnWeights_;
    std::vector<std::uint32_t> rowSums_;           // one source row, summed horizontally: window width x 3
    mutable std::vector<std::uint8_t> done_;       // window width x window height x 3: finished rows
    mutable std::vector<std::uint64_t> received_;  // per window row, the vertical weight in so far
    mutable std::vector<std::vector<std::uint64_t>> partial_;  // per window row; empty when none
    mutable std::vector<std::vector<std::uint64_t>> spare_;    // finished rows' sums, for reuse
    bool verticalFirst_ = false;
    int sourceFrom_ = 0;  // the first source column the window needs
    mutable OpenRow open_[2];
    mutable std::vector<std::uint32_t> columns_;  // an open row's column sums while it is settled
    std::unique_ptr<AreaScaler> band_;
};

// AreaScaler's bytes for the window (left, top, windowWidth, windowHeight) of the picture scaled to
// width x height, when neither side shrinks: a destination pixel then covers at most 2 x 2 source pixels,
// so its mean is taken directly, without an accumulator for the window. False, with nothing written,
// when a side shrinks or the sizes are refused as AreaScaler::begin() refuses them.
bool enlargeArea(const Raster& picture, int width, int height, int left, int top, int windowWidth,
                 int windowHeight, const RowTarget& to);

}  // namespace tessary::image
