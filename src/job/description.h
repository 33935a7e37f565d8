// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// job.ini, the description inside a job file: a small INI text of sections ([job], [item 1], ...) and
// "key = value" lines, strings in double quotes with backslash escapes. Every key is known to the reader:
// an unknown one means a later format, and is refused rather than ignored, since it could change the
// engraving.
#include <string>
#include <string_view>
#include <vector>

#include "job/job.h"

namespace tessary::job {

inline constexpr std::size_t kMaxDescriptionBytes = 64 * 1024;
inline constexpr std::size_t kMaxItems = 1;  // format 1: one item

// The description of the job, each picture item naming the archive file given for it (empty for text).
std::string describeJob(const Job& job, const std::vector<std::string>& pictureFiles);

// The job the description holds, with its picture items' bytes still empty and the archive files they name in
// `pictureFiles` (empty for text items). Empty on success, else why (with the line).
std::string parseDescription(std::string_view text, Job& job, std::vector<std::string>& pictureFiles);

// What would make the job unfit to keep or to replay (values out of range, an item without a picture or
// text); empty when none.
std::string jobProblem(const Job& job);

}  // namespace tessary::job
