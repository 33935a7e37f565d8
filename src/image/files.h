// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the preview file lives, and writing a file from byte sets. Paths are UTF-8 text; the system's own
// calls, and deleting and comparing files, are in platform/files.h.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "platform/files.h"

namespace tessary::image {

inline constexpr const char* kPreviewFileName = "Engraving Preview.bmp";

// run directory + "Engraving Preview.bmp", joined with the system's separator
std::string previewFilePath(const std::string& runDirectory);

// Writes every non-empty byte set in order to a new file beside the path and moves it over the path, so the
// file at the path is new (created, or replacing the old one); no byte sets or only empty ones leave an empty
// file. A link at the path is replaced, never written through; a directory, FIFO, device or socket there
// refuses the write. Exclusive: while another writer holds the file (or it cannot be opened for writing),
// nothing is written and the result is false. True only when every byte reached the file; then *written (when
// given) names the new file.
bool writeFile(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> byteSets,
               platform::FileIdentity* written = nullptr);
bool writeFile(const std::string& path, const std::vector<Bytes>& byteSets,
               platform::FileIdentity* written = nullptr);
}  // namespace tessary::image
