// SPDX-License-Identifier: GPL-3.0-or-later
// The job reader on arbitrary bytes; a job it accepts must be written and read back to the same description.
#include <cstdlib>

#include "job/description.h"
#include "job/job_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary::job;
    // Small enough to keep each run quick; the limits themselves are tested by size, not by fuzzing.
    const JobReading reading = readJob({data, size}, "fuzz.tessary", 4u << 20);
    if (!reading.job) {
        if (reading.error.rfind("fuzz.tessary: ", 0) != 0) std::abort();
        return 0;
    }
    const std::vector<std::uint8_t> written = encodeJob(*reading.job);
    const JobReading again = readJob(written, "again.tessary");
    if (!again.job || encodeJob(*again.job) != written) std::abort();
    return 0;
}
