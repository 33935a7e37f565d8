// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <set>

namespace tessary::job {
namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::size_t kLocalHeader = 30;
constexpr std::size_t kCentralHeader = 46;
constexpr std::size_t kEndRecord = 22;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kUtf8Names = 0x0800;
constexpr std::uint16_t kEncrypted = 0x0001 | 0x0040;
constexpr std::uint16_t kDosDate1980 = (1 << 5) | 1;  // 1 January 1980, the format's first day

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::uint32_t crcOf(std::span<const std::uint8_t> data) {
    uLong crc = crc32(0, nullptr, 0);
    while (!data.empty()) {
        const auto chunk = static_cast<uInt>(std::min<std::size_t>(data.size(), 1u << 30));
        crc = crc32(crc, data.data(), chunk);
        data = data.subspan(chunk);
    }
    return static_cast<std::uint32_t>(crc);
}

// Raw deflate (no zlib header), as zip keeps it; empty when it would not be smaller.
std::vector<std::uint8_t> deflated(std::span<const std::uint8_t> data) {
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
    std::vector<std::uint8_t> out(deflateBound(&z, static_cast<uLong>(data.size())));
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (result != Z_STREAM_END || out.size() >= data.size()) return {};
    return out;
}

// Exactly `size` bytes from a raw deflate stream that ends where its data ends.
bool inflated(std::span<const std::uint8_t> in, std::uint64_t size, std::vector<std::uint8_t>& out) {
    out.assign(static_cast<std::size_t>(size), 0);
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) return false;
    std::size_t given = 0, taken = 0;
    std::uint8_t beyond = 0;
    int result = Z_OK;
    while (result == Z_OK) {
        if (z.avail_in == 0 && given < in.size()) {
            const auto chunk = static_cast<uInt>(std::min<std::size_t>(in.size() - given, 1u << 30));
            z.next_in = const_cast<Bytef*>(in.data() + given);
            z.avail_in = chunk;
            given += chunk;
        }
        // One byte of room beyond the stated size, so that a stream longer than it stated is caught.
        if (taken < out.size()) {
            const auto chunk = static_cast<uInt>(std::min<std::size_t>(out.size() - taken, 1u << 30));
            z.next_out = out.data() + taken;
            z.avail_out = chunk;
        } else {
            z.next_out = &beyond;
            z.avail_out = 1;
        }
        const uInt before = z.avail_out;
        result = inflate(&z, Z_NO_FLUSH);
        const std::size_t produced = before - z.avail_out;
        if (taken >= out.size() && produced > 0) {
            result = Z_DATA_ERROR;
            break;
        }
        taken += produced;
        if (result == Z_BUF_ERROR && z.avail_in == 0 && given >= in.size()) break;
        if (result == Z_BUF_ERROR) result = Z_OK;
    }
    const bool whole = result == Z_STREAM_END && taken == out.size() && z.avail_in == 0 && given == in.size();
    inflateEnd(&z);
    return whole;
}

struct Located {
    std::size_t index;
    std::uint64_t start;  // the local header
    std::uint64_t end;    // after the data
};

}  // namespace

bool plainEntryName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name[0] == '.') return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
               c == '-' || c == '_';
    });
}

std::string readArchive(std::span<const std::uint8_t> bytes, const ArchiveLimits& limits,
                        std::vector<ArchiveEntry>& entries) {
    entries.clear();
    if (bytes.size() < kEndRecord) return "it is too short to be a job";
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) return "it is too large";
    // The end record is the last one whose comment reaches exactly to the end of the file.
    std::size_t end = std::string::npos;
    const std::size_t lowest = bytes.size() > kEndRecord + 0xFFFF ? bytes.size() - kEndRecord - 0xFFFF : 0;
    for (std::size_t at = bytes.size() - kEndRecord + 1; at-- > lowest;) {
        if (u32(bytes, at) == kEndSignature && at + kEndRecord + u16(bytes, at + 20) == bytes.size()) {
            end = at;
            break;
        }
    }
    if (end == std::string::npos) return "it is damaged or truncated (the archive's end record is missing)";
    const std::uint16_t count = u16(bytes, end + 10);
    const std::uint32_t directorySize = u32(bytes, end + 12);
    const std::uint32_t directoryStart = u32(bytes, end + 16);
    if (u16(bytes, end + 4) != 0 || u16(bytes, end + 6) != 0 || u16(bytes, end + 8) != count)
        return "it is an archive split over several disks, which a job never is";
    if (count == 0xFFFF || directorySize == 0xFFFFFFFF || directoryStart == 0xFFFFFFFF)
        return "it is a zip64 archive, which a job never is";
    if (count > limits.maxEntries) return "it holds too many files (" + std::to_string(count) + ")";
    if (std::uint64_t{directoryStart} + directorySize > end)
        return "it is damaged or truncated (the archive's directory lies outside it)";

    std::vector<Located> located;
    std::set<std::string> names;
    std::uint64_t total = 0;
    std::size_t at = directoryStart;
    const std::size_t directoryEnd = directoryStart + directorySize;
    for (std::size_t i = 0; i < count; ++i) {
        if (at + kCentralHeader > directoryEnd || u32(bytes, at) != kCentralSignature)
            return "it is damaged (the archive's directory is broken)";
        const std::uint16_t flags = u16(bytes, at + 8);
        const std::uint16_t method = u16(bytes, at + 10);
        const std::uint32_t crc = u32(bytes, at + 16);
        const std::uint32_t packed = u32(bytes, at + 20);
        const std::uint32_t size = u32(bytes, at + 24);
        const std::size_t nameLength = u16(bytes, at + 28);
        const std::size_t rest = nameLength + u16(bytes, at + 30) + u16(bytes, at + 32);
        const std::uint32_t local = u32(bytes, at + 42);
        if (at + kCentralHeader + rest > directoryEnd)
            return "it is damaged (the archive's directory is broken)";
        const std::string name(reinterpret_cast<const char*>(bytes.data() + at + kCentralHeader), nameLength);
        at += kCentralHeader + rest;
        if (!plainEntryName(name))
            return "it holds a file whose name is not a plain file name (a folder, a path or a drive)";
        if (!names.insert(name).second) return "it holds the file " + name + " twice";
        if (flags & kEncrypted) return "its file " + name + " is encrypted";
        if (method != kStored && method != kDeflated)
            return "its file " + name + " is packed by a method other than stored or deflated";
        if (packed == 0xFFFFFFFF || size == 0xFFFFFFFF) return "it is a zip64 archive, which a job never is";
        if (size > limits.maxEntryBytes || (total += size) > limits.maxTotalBytes)
            return "its files are too large when unpacked";
        if (method == kStored && packed != size) return "it is damaged (the file " + name + " has two sizes)";
        if (std::uint64_t{local} + kLocalHeader > directoryStart || u32(bytes, local) != kLocalSignature)
            return "it is damaged (the file " + name + " is not where the directory says)";
        const std::size_t localName = u16(bytes, local + 26);
        const std::uint64_t data = std::uint64_t{local} + kLocalHeader + localName + u16(bytes, local + 28);
        if (data + packed > directoryStart || u16(bytes, local + 8) != method || localName != nameLength ||
            !std::equal(name.begin(), name.end(), bytes.begin() + local + kLocalHeader))
            return "it is damaged (the file " + name + " is not where the directory says)";
        located.push_back({i, local, data + packed});

        ArchiveEntry entry{name, {}, method == kDeflated};
        const auto packedData = bytes.subspan(static_cast<std::size_t>(data), packed);
        if (method == kStored)
            entry.data.assign(packedData.begin(), packedData.end());
        else if (!inflated(packedData, size, entry.data))
            return "it is damaged (the file " + name + " does not unpack)";
        if (crcOf(entry.data) != crc) return "it is damaged (the file " + name + " fails its check)";
        entries.push_back(std::move(entry));
    }
    // Files that share their bytes are how a small archive unpacks to a huge one.
    std::sort(located.begin(), located.end(),
              [](const Located& a, const Located& b) { return a.start < b.start; });
    for (std::size_t i = 1; i < located.size(); ++i)
        if (located[i].start < located[i - 1].end) {
            entries.clear();
            return "it is damaged (two of its files overlap)";
        }
    return {};
}

std::vector<std::uint8_t> writeArchive(const std::vector<ArchiveEntry>& entries) {
    std::vector<std::uint8_t> out, directory;
    const auto header = [](std::vector<std::uint8_t>& to, std::uint16_t method, std::uint32_t crc,
                           std::size_t packed, std::size_t size, const std::string& name) {
        put16(to, method == kStored ? 10 : 20);  // version needed: 1.0, or 2.0 for deflate
        put16(to, kUtf8Names);
        put16(to, method);
        put16(to, 0);  // time 00:00:00
        put16(to, kDosDate1980);
        put32(to, crc);
        put32(to, static_cast<std::uint32_t>(packed));
        put32(to, static_cast<std::uint32_t>(size));
        put16(to, static_cast<std::uint32_t>(name.size()));
        put16(to, 0);  // no extra field
    };
    for (const ArchiveEntry& e : entries) {
        const std::vector<std::uint8_t> packed = e.deflate ? deflated(e.data) : std::vector<std::uint8_t>();
        const bool deflate = !packed.empty();
        const std::uint16_t method = deflate ? kDeflated : kStored;
        const std::span<const std::uint8_t> data = deflate ? std::span(packed) : std::span(e.data);
        const std::uint32_t crc = crcOf(e.data);
        const auto offset = static_cast<std::uint32_t>(out.size());

        put32(out, kLocalSignature);
        header(out, method, crc, data.size(), e.data.size(), e.name);
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.insert(out.end(), data.begin(), data.end());

        put32(directory, kCentralSignature);
        put16(directory, 20);  // made by: version 2.0, MS-DOS attributes
        header(directory, method, crc, data.size(), e.data.size(), e.name);
        put16(directory, 0);  // comment
        put16(directory, 0);  // disk
        put16(directory, 0);  // internal attributes
        put32(directory, 0);  // external attributes
        put32(directory, offset);
        directory.insert(directory.end(), e.name.begin(), e.name.end());
    }
    const auto directoryStart = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), directory.begin(), directory.end());
    put32(out, kEndSignature);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<std::uint32_t>(entries.size()));
    put16(out, static_cast<std::uint32_t>(entries.size()));
    put32(out, static_cast<std::uint32_t>(directory.size()));
    put32(out, directoryStart);
    put16(out, 0);
    return out;
}

}  // namespace tessary::job
