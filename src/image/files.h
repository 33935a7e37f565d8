// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file services of the picture pipeline: where the preview file lives, and writing and deleting files.
// Paths are UTF-8 text; the system's own calls are made by src/platform.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "platform/files.h"
#include "platform/unique_fd.h"

namespace tessary::image {

using platform::FileIdentity;
using platform::UniqueFd;

inline constexpr const char* kPreviewFileName = "Engraving Preview.bmp";

// The directory of the running program, when files can be created there; otherwise a private folder of the
// user's (on Linux $XDG_RUNTIME_DIR/tessary, ~/.cache/tessary or /tmp/tessary-UID; on Windows
// %LOCALAPPDATA%\Tessary), so that the preview file can always be written (an installed program's directory
// is not writable).
std::string runDirectory();

// run directory + "Engraving Preview.bmp", joined with the system's separator
std::string previewFilePath(const std::string& runDirectory);

// Writes every non-empty byte set in order to a new file beside the path and moves it over the path, so the
// file at the path is new (created, or replacing the old one); no byte sets or only empty ones leave an empty
// file. A link at the path is replaced, never written through; a directory, FIFO, device or socket there
// refuses the write. Exclusive: while another writer holds the file (or it cannot be opened for writing),
// nothing is written and the result is false. True only when every byte reached the file; then *written (when
// given) names the new file.
bool writeFile(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> byteSets,
               FileIdentity* written = nullptr);
bool writeFile(const std::string& path, const std::vector<Bytes>& byteSets, FileIdentity* written = nullptr);
// Whether writeFile could write the path now, without changing anything.
bool canWriteFile(const std::string& path);

using platform::deleteFile;
using platform::deleteFileIfSame;
using platform::isSameFile;
// Opens a user's file for reading only when it is a regular file, without ever blocking.
using platform::openRegularFile;

}  // namespace tessary::image
