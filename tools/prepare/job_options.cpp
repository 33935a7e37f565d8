// SPDX-License-Identifier: GPL-3.0-or-later
#include "job_options.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <vector>

#include "intake/drawn_pictures.h"
#include "intake/headless.h"
#include "job/job_file.h"
#include "job/replay.h"
#include "platform/files.h"

namespace tessary::prepare {

const char* const kJobUsage =
    "Jobs (see the manual page): IN may be a job file (.tessary, known by its content); its engraving is\n"
    "written as the console gives it when it opens the job (no picture or text options then).\n"
    "  --save-job FILE    also keep the picture (or text), its options, burn time, passes, copies\n"
    "                     and material as the job FILE\n"
    "  --burn-time N      the job's burn time, 1..240 (default 60)\n"
    "  --passes N         the job's passes, 1..10 (default 1)\n"
    "  --copies N         the job's copies, 1..999 (default 1)\n"
    "  --material NAME    the job's material name\n"
    "A job that cannot be read, or whose picture is refused, ends with status 2 and writes nothing.\n";

namespace {

int wrong(const std::string& message) {
    std::fprintf(stderr, "tessary-prepare: %s\nTry 'tessary-prepare --help'.\n", message.c_str());
    return 2;
}

int refusedJob(const std::string& message) {
    std::fprintf(stderr, "tessary-prepare: %s\n", message.c_str());
    return 2;
}

// The intake's own surroundings, but a refused picture is said by the job's sentence instead.
class JobSurroundings : public intake::Headless {
  public:
    using Headless::Headless;
    void wrongFileType() override {}
    void noText() override {}
};

}  // namespace

Taken takeJobOption(std::string_view name, const std::function<std::optional<std::string_view>()>& value,
                    JobOptions& options) {
    struct Number {
        std::string_view name;
        int job::Job::*field;
        image::Range range;
    };
    static constexpr Number kNumbers[] = {{"--burn-time", &job::Job::burnTime, job::kBurnTimeRange},
                                          {"--passes", &job::Job::passes, job::kPassesRange},
                                          {"--copies", &job::Job::copies, job::kCopiesRange}};
    if (name == "--save-job" || name == "--material") {
        const auto v = value();
        if (!v || v->empty()) return wrong(std::string(name) + " needs a value"), Taken::Wrong;
        if (name == "--save-job") {
            options.saveJob = std::string(*v);
        } else {
            if (v->size() > job::kMaxMaterialBytes)
                return wrong("--material takes at most 200 bytes"), Taken::Wrong;
            options.settings.material = std::string(*v);
            options.settingsGiven = true;
        }
        return Taken::Yes;
    }
    for (const Number& n : kNumbers) {
        if (name != n.name) continue;
        const auto v = value();
        int number = 0;
        const auto [end, error] = v ? std::from_chars(v->data(), v->data() + v->size(), number)
                                    : std::from_chars_result{nullptr, std::errc::invalid_argument};
        if (!v || error != std::errc() || end != v->data() + v->size() || !n.range.holds(number))
            return wrong(std::string(n.name) + " takes a whole number from " + std::to_string(n.range.min) +
                         " to " + std::to_string(n.range.max)),
                   Taken::Wrong;
        options.settings.*(n.field) = number;
        options.settingsGiven = true;
        return Taken::Yes;
    }
    return Taken::No;
}

namespace {

int prepareJob(const std::string& in, const std::string& out, const JobOptions& options,
               bool pictureOptions) {
    if (pictureOptions || options.saveJob || options.settingsGiven)
        return wrong(in + " is a job: it brings its own options");
    const job::JobReading reading = job::readJobFile(in);
    if (!reading.job) return refusedJob(reading.error);
    const job::JobItem& item = reading.job->items.front();
    if (const auto* text = std::get_if<intake::TypedText>(&item.source))
        if (const std::string refusal = intake::drawing().textRefusal(text->text, text->style);
            !refusal.empty())
            return refusedJob(in + ": its text cannot be engraved here: " + refusal);
    intake::ImageState state;
    JobSurroundings around(out);
    switch (job::openJobItem(item, state, around)) {
        case intake::IntakeResult::Prepared:
            return 0;
        case intake::IntakeResult::Refused:
            return refusedJob(in + ": the picture it holds is refused (Wrong file type)");
        case intake::IntakeResult::NoText:
            return refusedJob(in + ": its text has nothing to engrave");
        case intake::IntakeResult::PreviewUnwritable:
        case intake::IntakeResult::PreviewUnwritten:
            break;
    }
    std::fprintf(stderr, "tessary-prepare: cannot write %s\n", out.c_str());
    return 1;
}

int prepareAndSaveJob(const std::optional<std::string>& in, const std::optional<intake::TypedText>& text,
                      const image::ConversionOptions& conversion, const std::string& out,
                      const JobOptions& options) {
    const std::string& jobFile = *options.saveJob;
    if (!platform::canReplace(jobFile)) return wrong("cannot write the job " + jobFile);
    intake::ImageState state;
    state.options = conversion;
    intake::Headless around(out);
    intake::IntakeResult result;
    if (text) {
        // Said before anything is written, as without --save-job.
        if (const std::string refusal = intake::drawing().textRefusal(text->text, text->style);
            !refusal.empty()) {
            std::fprintf(stderr, "tessary-prepare: %s\n", refusal.c_str());
            return 1;
        }
        result = intake::takeInText(state, around, *text);
    } else {
        auto bytes = job::readWholeFile(*in);
        if (!bytes) {
            std::fprintf(stderr,
                         "tessary-prepare: %s cannot be read whole, or is over the 256 MiB a job keeps\n",
                         in->c_str());
            return 1;
        }
        result = intake::takeInBytes(state, around, *in,
                                     std::make_shared<const std::vector<std::uint8_t>>(std::move(*bytes)));
    }
    std::fflush(stdout);
    if (result == intake::IntakeResult::PreviewUnwritable || result == intake::IntakeResult::PreviewUnwritten)
        std::fprintf(stderr, "tessary-prepare: cannot write %s\n", out.c_str());
    if (result != intake::IntakeResult::Prepared) return 1;
    job::Job kept = options.settings;
    kept.items.push_back(*job::itemFromState(state));
    if (const std::string error = job::writeJobFile(jobFile, kept); !error.empty()) {
        std::fprintf(stderr, "tessary-prepare: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

std::optional<int> runJobs(const std::vector<std::string>& files, std::optional<intake::TypedText> text,
                           const render::TextStyle& style, const image::ConversionOptions& conversion,
                           bool pictureOptions, const JobOptions& options) {
    if (!text && job::isJobFile(files.front()))
        return prepareJob(files.front(), files.back(), options, pictureOptions);
    if (!options.saveJob) {
        if (options.settingsGiven)
            return wrong("--burn-time, --passes, --copies and --material go with --save-job");
        return std::nullopt;
    }
    if (text) text->style = style;
    std::optional<std::string> in;
    if (!text) in = files.front();
    return prepareAndSaveJob(in, text, conversion, files.back(), options);
}

}  // namespace tessary::prepare
