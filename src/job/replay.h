// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A job taken in as the console takes in its picture or text, and a job made from what the console holds.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "intake/intake.h"
#include "job/job.h"

namespace tessary::job {

// The job's item taken in with its options (the state's options become the item's) and its view replayed:
// the same engraving, preview file and preview it had when it was kept, and the intake's log lines. Anything
// but Prepared leaves the engraving as it was (as a refused drop does).
intake::IntakeResult openJobItem(const JobItem& item, intake::ImageState& state,
                                 intake::Surroundings& around);

// The item the state holds (the last picture or text taken in, its options and its view). A picture taken in
// from a file needs that file's bytes: the state's own when it came from memory, else `pictureBytes` (the
// file as it was taken in). Nothing when the state holds no picture.
std::optional<JobItem> itemFromState(const intake::ImageState& state,
                                     std::shared_ptr<const std::vector<std::uint8_t>> pictureBytes = nullptr);

// The file name without its folders (either separator), as a job keeps a picture's name.
std::string ownName(const std::string& path);

}  // namespace tessary::job
