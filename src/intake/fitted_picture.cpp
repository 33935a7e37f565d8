// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/fitted_picture.h"

#include <memory>
#include <optional>
#include <utility>

#include "image/area_scaler.h"
#include "image/decode/orientation.h"
#include "image/nearest_scaler.h"
#include "intake/drawn_pictures.h"

namespace tessary::intake {
namespace {

// Places the picture by its own upright size, which a decoder that scales reports through the drawn-size
// question and any other gives as the size of its rows; then resamples the rows into the drawn size. Rows
// stored turned or mirrored are resampled as they come, into the drawn size with its sides as stored, and
// the small result is set upright.
class FittingSink : public image::RowSink {
  public:
    explicit FittingSink(image::Resample mode) : mode_(mode) {}

    image::DecodeOptions options() {
        image::DecodeOptions o;
        o.drawnSize = [this](int width, int height) {
            placement_ = fitIntoField(width, height);
            return std::pair{placement_->width, placement_->height};
        };
        return o;
    }

    void storedOrientation(int orientation) override { orientation_ = image::validOrientation(orientation); }
    bool begin(int width, int height) override {
        const bool swap = image::swapsSides(orientation_);
        if (!placement_) placement_ = swap ? fitIntoField(height, width) : fitIntoField(width, height);
        const Placement& p = *placement_;
        // A picture so thin that it is drawn 0 pixels wide or high is still decoded, to find out whether it
        // can be.
        if (p.width <= 0 || p.height <= 0) return true;
        const int drawnWidth = swap ? p.height : p.width, drawnHeight = swap ? p.width : p.height;
        if (mode_ == image::Resample::Nearest) {
            nearest_ = std::make_unique<image::NearestScaler>(drawnWidth, drawnHeight);
            return nearest_->begin(width, height);
        }
        area_ = std::make_unique<image::AreaScaler>(drawnWidth, drawnHeight);
        return area_->begin(width, height);
    }
    void row(int y, const std::uint8_t* rgb) override {
        if (area_) {
            area_->row(y, rgb);
        } else if (nearest_) {
            nearest_->row(y, rgb);
        }
    }

    void rows(int y, const std::uint8_t* rgb, std::size_t stride, int count) override {
        if (area_)
            area_->rows(y, rgb, stride, count);
        else
            RowSink::rows(y, rgb, stride, count);
    }

    image::RowSink* splitAt(int first) override { return area_ ? area_->splitAt(first) : nullptr; }
    void join() override {
        if (area_) area_->join();
    }

    Placement placement() const { return placement_.value_or(Placement{}); }
    image::Raster take() {
        if (area_) return image::uprightRaster(area_->take(), orientation_);
        if (nearest_) return image::uprightRaster(nearest_->take(), orientation_);
        return {};
    }

  private:
    image::Resample mode_;
    int orientation_ = 1;
    std::optional<Placement> placement_;
    std::unique_ptr<image::AreaScaler> area_;
    std::unique_ptr<image::NearestScaler> nearest_;
};

}  // namespace

namespace {

template <typename Source>
int decodeFittedFrom(Source source, image::Resample mode, FittedPicture& out) {
    out = FittedPicture{};
    FittingSink sink(mode);
    static constexpr image::Decoder kLater[] = {decodeSvg};
    const int result = image::decodePicture(std::move(source), sink, sink.options(), &out.info, kLater);
    if (result != image::kConvertOk) return result;
    out.placement = sink.placement();
    out.pixels = sink.take();
    return result;
}

}  // namespace

int decodeFitted(const std::string& path, image::Resample mode, FittedPicture& out) {
    return decodeFittedFrom(path, mode, out);
}

int decodeFitted(platform::UniqueFd fd, image::Resample mode, FittedPicture& out) {
    return decodeFittedFrom(std::move(fd), mode, out);
}

void fitRaster(const image::Raster& picture, image::Resample mode, FittedPicture& out) {
    out = FittedPicture{};
    if (picture.empty()) return;
    FittingSink sink(mode);
    out.info.width = picture.width;
    out.info.height = picture.height;
    if (!sink.begin(picture.width, picture.height)) return;
    for (int y = 0; y < picture.height; ++y) sink.row(y, picture.at(0, y));
    out.placement = sink.placement();
    out.pixels = sink.take();
}

}  // namespace tessary::intake
