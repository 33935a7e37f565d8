// SPDX-License-Identifier: GPL-3.0-or-later
// A job opened as the console opens it: read, then its item taken in and its view replayed, whatever values
// it holds within the reader's ranges.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "intake/drawn_pictures.h"
#include "intake/headless.h"
#include "job/job_file.h"
#include "job/replay.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary;
    const job::JobReading reading = job::readJob({data, size}, "fuzz.tessary", 1u << 20);
    if (!reading.job) return 0;
    const job::JobItem& item = reading.job->items.front();
    if (const auto* text = std::get_if<intake::TypedText>(&item.source))
        if (!intake::drawing().textRefusal(text->text, text->style).empty()) return 0;
    static const std::string preview =
        (std::filesystem::temp_directory_path() / ("fuzz-job-open-" + std::to_string(::getpid()) + ".bmp"))
            .string();
    intake::ImageState state;
    intake::Headless around(preview, true);
    job::openJobItem(item, state, around);
    std::filesystem::remove(preview);
    return 0;
}
