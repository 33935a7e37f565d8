// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// tessary-prepare and jobs: a job file as the input (known by its first bytes), and --save-job with the
// burn time, passes, copies and material it keeps.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/conversion.h"
#include "intake/image_state.h"
#include "job/job.h"

namespace tessary::prepare {

extern const char* const kJobUsage;

struct JobOptions {
    std::optional<std::string> saveJob;
    job::Job settings;  // burn time, passes, copies, material
    bool settingsGiven = false;
};

enum class Taken { No, Yes, Wrong };
// Takes the option when it is one of the job's; Wrong after printing why. `value` gives the option's value.
Taken takeJobOption(std::string_view name, const std::function<std::optional<std::string_view>()>& value,
                    JobOptions& options);

// After the options are read: a job as the input, or --save-job, run here (their exit status); nothing
// otherwise. `files` are IN and OUT.bmp (or OUT.bmp alone with text); `pictureOptions`: whether picture or
// text options were given.
std::optional<int> runJobs(const std::vector<std::string>& files, std::optional<intake::TypedText> text,
                           const render::TextStyle& style, const image::ConversionOptions& conversion,
                           bool pictureOptions, const JobOptions& options);

}  // namespace tessary::prepare
