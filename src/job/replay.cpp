// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/replay.h"

namespace tessary::job {

intake::IntakeResult openJobItem(const JobItem& item, intake::ImageState& state,
                                 intake::Surroundings& around) {
    // A refused item leaves the state as it was, Reload's source included.
    const image::ConversionOptions before = state.options;
    std::string droppedFileName = state.droppedFileName;
    std::optional<intake::TypedText> typedText = state.typedText;
    auto pictureBytes = state.pictureBytes;
    state.options = item.options;
    intake::IntakeResult result;
    if (const auto* picture = std::get_if<PictureSource>(&item.source))
        result = intake::takeInBytes(state, around, picture->name, picture->bytes);
    else
        result = intake::takeInText(state, around, std::get<intake::TypedText>(item.source));
    if (result != intake::IntakeResult::Prepared) {
        state.options = before;
        state.droppedFileName = std::move(droppedFileName);
        state.typedText = std::move(typedText);
        state.pictureBytes = std::move(pictureBytes);
        return result;
    }
    intake::replayTrail(state, around, item.view);
    return result;
}

std::optional<JobItem> itemFromState(const intake::ImageState& state,
                                     std::shared_ptr<const std::vector<std::uint8_t>> pictureBytes) {
    if (state.pictureWidth <= 0 || state.pictureHeight <= 0) return std::nullopt;
    JobItem item{PictureSource{}, state.options, state.trail};
    if (state.typedText) {
        item.source = *state.typedText;
    } else {
        auto bytes = state.pictureBytes ? state.pictureBytes : std::move(pictureBytes);
        if (!bytes) return std::nullopt;
        item.source = PictureSource{ownName(state.droppedFileName), std::move(bytes)};
    }
    return item;
}

std::string ownName(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace tessary::job
