#pragma once
// The file services of the picture pipeline: where the preview file lives, and writing and deleting files.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "image/unique_fd.h"

namespace tessary::image {

inline constexpr const char* kPreviewFileName = "Engraving Preview.bmp";

// The directory of the running program, without a trailing slash, when files can be created there;
// otherwise a private per-user directory ($XDG_RUNTIME_DIR/tessary, else ~/.cache/tessary, made 0700),
// so that the preview file can always be written (an installed program's directory is not writable).
std::string runDirectory();
// The same choice for a given program directory and environment values (null when unset).
std::string chooseRunDirectory(const std::string& programDirectory, const char* xdgRuntimeDir, const char* home);

// run directory + "/Engraving Preview.bmp"
std::string previewFilePath(const std::string& runDirectory);

// Creates or truncates the file and writes every non-empty byte set in order; no byte sets or only
// empty ones leave an empty file. Exclusive: while another writer holds the file, nothing is written
// and the result is false. True only when every byte reached the file.
bool writeFile(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> byteSets);
bool writeFile(const std::string& path, const std::vector<Bytes>& byteSets);

bool deleteFile(const std::string& path);

// Opens a user's file for reading only when it is a regular file, without ever blocking: a FIFO nobody
// writes to, a device, a socket or a directory gives an invalid descriptor at once. The descriptor is
// returned in blocking mode, positioned at the start.
UniqueFd openRegularFile(const std::string& path);

}  // namespace tessary::image
