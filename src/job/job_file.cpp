// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/job_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "job/description.h"
#include "job/zip_archive.h"
#include "platform/files.h"

namespace tessary::job {
namespace {

constexpr std::string_view kMimetypeEntry = "mimetype";
constexpr std::string_view kDescriptionEntry = "job.ini";
// Where the media type lies in a job: after the first local header (30 bytes) and its name.
constexpr std::size_t kMediaTypeAt = 30 + kMimetypeEntry.size();

std::vector<std::uint8_t> bytesOf(std::string_view s) { return {s.begin(), s.end()}; }

std::string refusal(std::string_view fileName, const std::string& why) {
    return std::string(fileName) + ": " + why;
}

// "picture-1.jpg": the archive's name of an item's picture, with the extension of its own name when that is
// a plain one.
std::string archiveName(std::size_t index, const std::string& ownName) {
    std::string name = "picture-" + std::to_string(index + 1);
    const auto dot = ownName.rfind('.');
    if (dot != std::string::npos && ownName.size() - dot <= 6) {
        std::string extension = ownName.substr(dot);
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        if (plainEntryName("x" + extension)) name += extension;
    }
    return name;
}

}  // namespace

bool looksLikeJob(std::span<const std::uint8_t> start) {
    const std::string_view mediaType = kMediaType;
    if (start.size() < kMediaTypeAt + mediaType.size()) return false;
    const std::string_view head(reinterpret_cast<const char*>(start.data()), kMediaTypeAt + mediaType.size());
    return head.substr(0, 4) == std::string_view("PK\3\4", 4) &&
           head.substr(30, kMimetypeEntry.size()) == kMimetypeEntry && head.substr(kMediaTypeAt) == mediaType;
}

bool isJobFile(const std::string& path) {
    const platform::UniqueFd fd = platform::openRegularFile(path);
    std::uint8_t start[64];
    return fd && platform::readFileAt(fd.get(), start, sizeof start, 0) && looksLikeJob(start);
}

JobReading readJob(std::span<const std::uint8_t> bytes, std::string_view fileName,
                   std::uint64_t maxUnpacked) {
    const auto refuse = [&](const std::string& why) {
        return JobReading{std::nullopt, refusal(fileName, why)};
    };
    if (bytes.size() > kMaxJobFileBytes) return refuse("it is too large for a job");
    if (!looksLikeJob(bytes)) return refuse("it is not a Tessary job (its first bytes say otherwise)");
    std::vector<ArchiveEntry> entries;
    if (std::string why = readArchive(
            bytes, ArchiveLimits{64, std::min<std::uint64_t>(maxUnpacked, kMaxPictureBytes), maxUnpacked},
            entries);
        !why.empty())
        return refuse(why);
    if (entries.size() < 2 || entries[0].name != kMimetypeEntry || entries[0].deflate ||
        entries[0].data != bytesOf(kMediaType) || entries[1].name != kDescriptionEntry)
        return refuse("it is damaged (its first files are not the media type and the description)");

    Job job;
    std::vector<std::string> pictureFiles;
    const std::vector<std::uint8_t>& description = entries[1].data;
    if (description.size() > kMaxDescriptionBytes) return refuse("its description is too large");
    if (std::string why = parseDescription(
            std::string_view(reinterpret_cast<const char*>(description.data()), description.size()), job,
            pictureFiles);
        !why.empty())
        return refuse(why);

    std::map<std::string, std::size_t, std::less<>> byName;
    for (std::size_t i = 2; i < entries.size(); ++i) byName[entries[i].name] = i;
    std::vector<bool> named(entries.size(), false);
    for (std::size_t i = 0; i < job.items.size(); ++i) {
        auto* picture = std::get_if<PictureSource>(&job.items[i].source);
        if (!picture) continue;
        const auto found = byName.find(pictureFiles[i]);
        if (found == byName.end()) return refuse("its description names a picture it does not hold");
        if (named[found->second]) return refuse("its description names one picture file for two items");
        named[found->second] = true;
        picture->bytes =
            std::make_shared<const std::vector<std::uint8_t>>(std::move(entries[found->second].data));
    }
    for (std::size_t i = 2; i < entries.size(); ++i)
        if (!named[i]) return refuse("it holds a file its description does not name: " + entries[i].name);
    if (std::string why = jobProblem(job); !why.empty()) return refuse(why);
    return {std::move(job), {}};
}

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
    const platform::UniqueFd fd = platform::openRegularFile(path);
    if (!fd) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    constexpr std::size_t kChunk = 1 << 20;
    for (;;) {
        const std::size_t have = bytes.size();
        if (have > kMaxJobFileBytes) return std::nullopt;
        bytes.resize(have + kChunk);
        const auto n = ::read(fd.get(), bytes.data() + have, kChunk);
        bytes.resize(have + static_cast<std::size_t>(std::max<decltype(n)>(n, 0)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return bytes;
    }
}

JobReading readJobFile(const std::string& path) {
    const auto bytes = readWholeFile(path);
    if (!bytes) return {std::nullopt, refusal(path, "it cannot be read as a file of at most 256 MiB")};
    return readJob(*bytes, path);
}

std::vector<std::uint8_t> encodeJob(const Job& job) {
    Job written = job;
    written.writtenBy = "Tessary " TESSARY_VERSION;
    std::vector<ArchiveEntry> entries;
    entries.push_back({std::string(kMimetypeEntry), bytesOf(kMediaType), false});
    std::vector<std::string> pictureFiles;
    std::vector<ArchiveEntry> pictures;
    for (std::size_t i = 0; i < written.items.size(); ++i) {
        const auto* picture = std::get_if<PictureSource>(&written.items[i].source);
        pictureFiles.push_back(picture ? archiveName(i, picture->name) : std::string());
        // Pictures are kept whole; those that pack smaller (BMP, uncompressed TIFF) are deflated, which
        // unpacks to the very same bytes.
        if (picture) pictures.push_back({pictureFiles.back(), *picture->bytes, true});
    }
    const std::string description = describeJob(written, pictureFiles);
    entries.push_back({std::string(kDescriptionEntry), bytesOf(description), true});
    for (ArchiveEntry& p : pictures) entries.push_back(std::move(p));
    return writeArchive(entries);
}

std::string writeJobFile(const std::string& path, const Job& job) {
    if (std::string why = jobProblem(job); !why.empty()) return refusal(path, "not saved: " + why);
    const std::vector<std::uint8_t> bytes = encodeJob(job);
    if (bytes.size() > kMaxJobFileBytes)
        return refusal(path, "not saved: it would be over 256 MiB, more than a job holds");
    platform::FileReplacement file(path);
    if (!file.ready())
        return refusal(path, "it cannot be written (a folder, a device, or no room to write beside it)");
    if (!file.write(bytes) || !file.commit(nullptr))
        return refusal(path, "it could not be written whole; it is as it was");
    return {};
}

}  // namespace tessary::job
