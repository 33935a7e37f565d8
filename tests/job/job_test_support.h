// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Jobs for the tests: small pictures of their own and archives built entry by entry.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "image/picture.h"
#include "job/job.h"
#include "job/zip_archive.h"

namespace tessary::job::testing {

using Bytes = std::vector<std::uint8_t>;

// A 24-bit BMP of a pattern with detail at every scale, so that conversions and zooms all tell.
inline Bytes patternBmp(int width, int height) {
    image::Raster r(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = r.at(x, y);
            p[0] = static_cast<std::uint8_t>((x * x / 7 + y * 3) % 256);
            p[1] = static_cast<std::uint8_t>((x * 5 + y * y / 11) % 256);
            p[2] = static_cast<std::uint8_t>(((x ^ y) * 9) % 256);
        }
    return image::bmp24(r, true);
}

inline Job pictureJob(const Bytes& picture, const std::string& name = "photo.bmp") {
    Job job;
    job.items.push_back({PictureSource{name, std::make_shared<const Bytes>(picture)}, {}, {}});
    return job;
}

inline Bytes fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes textBytes(const std::string& s) { return {s.begin(), s.end()}; }

// mimetype, job.ini and the pictures, as a job file holds them.
inline Bytes archiveOf(const std::string& description, std::vector<ArchiveEntry> pictures,
                       bool deflateDescription = false) {
    std::vector<ArchiveEntry> entries{{"mimetype", textBytes("application/x-tessary-job"), false},
                                      {"job.ini", textBytes(description), deflateDescription}};
    for (ArchiveEntry& p : pictures) entries.push_back(std::move(p));
    return writeArchive(entries);
}

}  // namespace tessary::job::testing
