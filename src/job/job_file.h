// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The .tessary file: a zip archive whose first file, stored, is "mimetype" holding
// "application/x-tessary-job" (so the file is known by its first bytes), then job.ini (the description) and
// the pictures' own files, unchanged. A job comes from anyone: it is read into memory with every size capped
// and every value checked, and refused whole, with a sentence naming the file, when anything is wrong.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "job/job.h"

namespace tessary::job {

inline constexpr std::uint64_t kMaxJobFileBytes = 256u << 20;

// Whether the bytes begin as a job file does (the first 64 are enough).
bool looksLikeJob(std::span<const std::uint8_t> start);
// Whether the file at the path begins as a job file does.
bool isJobFile(const std::string& path);

struct JobReading {
    std::optional<Job> job;
    std::string error;  // "FILE: why it was refused" when there is no job
};

inline constexpr std::uint64_t kMaxUnpackedBytes = 512u << 20;
// `fileName` names the file in the error sentence; all its files unpacked are at most `maxUnpacked` bytes.
JobReading readJob(std::span<const std::uint8_t> bytes, std::string_view fileName,
                   std::uint64_t maxUnpacked = kMaxUnpackedBytes);
JobReading readJobFile(const std::string& path);

// A regular file's bytes, at most kMaxJobFileBytes (a picture to keep in a job, or a job); nothing when it
// cannot be read or is larger.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path);

// The file's bytes: always the same for the same job (no times, fixed order). The job must have no problem
// (jobProblem).
std::vector<std::uint8_t> encodeJob(const Job& job);
// Written to a new file beside the path and moved over it, so that a failed save leaves the file that was
// there. Empty on success, else "FILE: why".
std::string writeJobFile(const std::string& path, const Job& job);

}  // namespace tessary::job
