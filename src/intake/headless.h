// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The intake's surroundings without a window: a canvas in memory as the console's canvas is on a
// true-colour display, the preview file at a chosen path, the log to standard output and the refusal to
// standard error. tessary-prepare runs the intake over it.
#include <cstdio>
#include <string>
#include <string_view>

#include "intake/intake.h"

namespace tessary::intake {

class Headless : public Surroundings {
  public:
    explicit Headless(std::string out, bool quiet = false)
        : out_(std::move(out)), quiet_(quiet), canvas_(510, 510) {}

    image::Raster& canvas() override { return canvas_; }
    std::uint32_t canvasBackground() override { return kButtonFace; }
    image::Resample resampling() override { return image::Resample::Halftone; }
    std::string previewFile() override { return out_; }
    void log(std::string_view line) override {
        if (quiet_) return;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        std::printf("%.*s\n", static_cast<int>(line.size()), line.data());
    }
    void showPreview(const image::Bytes&) override {}
    void wrongFileType() override {
        if (!quiet_) std::fprintf(stderr, "%s\n", kWrongFileType.data());
    }
    void refused(std::string_view file, std::string_view reason) override {
        if (quiet_) return;
        std::fprintf(stderr, "%s: %.*s%s%.*s\n", kWrongFileType.data(), static_cast<int>(file.size()),
                     file.data(), file.empty() ? "" : ": ", static_cast<int>(reason.size()), reason.data());
    }
    void noText() override {
        if (!quiet_) std::fprintf(stderr, "%s\n", kNoText.data());
    }

  private:
    std::string out_;
    bool quiet_;
    image::Raster canvas_;
};

}  // namespace tessary::intake
