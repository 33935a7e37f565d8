// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The zip container of a job: written with its entries stored or deflated, read wholly in memory (nothing is
// ever extracted to a disk) with every size, offset, name and check verified before it is believed.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tessary::job {

struct ArchiveEntry {
    std::string name;
    std::vector<std::uint8_t> data;
    bool deflate = false;  // written deflated (when that is smaller); read: how it was stored
};

struct ArchiveLimits {
    std::size_t maxEntries = 64;
    std::uint64_t maxEntryBytes = 256u << 20;  // each entry, as it unpacks
    std::uint64_t maxTotalBytes = 512u << 20;  // all entries together
};

// The entries in the order of the archive's directory; empty on success, else why the bytes are no archive
// that can be trusted (a sentence without the file's name).
std::string readArchive(std::span<const std::uint8_t> bytes, const ArchiveLimits& limits,
                        std::vector<ArchiveEntry>& entries);

// A whole archive: fixed times and attributes, so the same entries always give the same bytes.
std::vector<std::uint8_t> writeArchive(const std::vector<ArchiveEntry>& entries);

// Names an archive of ours holds: plain names of letters, digits, '.', '-' and '_', not starting with a
// dot, no folders.
bool plainEntryName(const std::string& name);

}  // namespace tessary::job
