// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A job as it is kept in a .tessary file: what is engraved (today one item, a picture or typed text, with
// its conversion and the view clicks that made its engraving) and how (burn time, passes, copies, material).
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "image/conversion.h"
#include "intake/image_state.h"

namespace tessary::job {

// The highest format this program reads and the one it writes.
inline constexpr int kFormatVersion = 1;
inline constexpr const char* kMediaType = "application/x-tessary-job";
inline constexpr const char* kExtension = ".tessary";

inline constexpr image::Range kBurnTimeRange{1, 240};
inline constexpr image::Range kPassesRange{1, 10};
inline constexpr image::Range kCopiesRange{1, 999};
inline constexpr std::size_t kMaxMaterialBytes = 200;
inline constexpr std::size_t kMaxClicks = 1000;
// A picture kept in a job, as a reader takes it (so that every job written can be read).
inline constexpr std::uint64_t kMaxPictureBytes = 256u << 20;

// A picture file as it was taken in, its bytes unchanged.
struct PictureSource {
    std::string name;  // the file's own name, without folders, as the user knew it
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
};

struct JobItem {
    std::variant<PictureSource, intake::TypedText> source;
    image::ConversionOptions options;
    intake::ViewTrail view;
};

struct Job {
    std::string writtenBy;  // "Tessary 2.0.1"; set when it is written
    int burnTime = 60;
    int passes = 1;
    int copies = 1;
    std::string material;  // empty: none chosen
    std::vector<JobItem> items;
};

}  // namespace tessary::job
