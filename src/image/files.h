// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file services of the picture pipeline: where the preview file lives, and writing and deleting files.
#include <sys/types.h>

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
// otherwise a private per-user directory ($XDG_RUNTIME_DIR/tessary, else ~/.cache/tessary, else
// $TMPDIR/tessary-UID or /tmp/tessary-UID, made 0700), so that the preview file can always be written (an
// installed program's directory is not writable).
std::string runDirectory();
// The same choice for a given program directory and environment values (null when unset; no temporary
// directory: none is tried).
std::string chooseRunDirectory(const std::string& programDirectory, const char* xdgRuntimeDir,
                               const char* home, const char* tmpDir = nullptr);

// run directory + "/Engraving Preview.bmp"
std::string previewFilePath(const std::string& runDirectory);

// Which file a path named when it was written, so that only that file is removed later. Size and
// modification time go with the inode number, which a file made after the first one's deletion may reuse.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNs = 0;
    bool empty() const { return inode == 0; }
    bool operator==(const FileIdentity&) const = default;
};

// Writes every non-empty byte set in order to a new file beside the path and renames it over the path,
// so the file at the path is new (created, or replacing the old one); no byte sets or only empty ones
// leave an empty file. A symbolic link at the path is replaced, never written through; a directory, FIFO,
// device or socket there refuses the write. Exclusive: while another writer holds the file (or it cannot
// be opened for writing), nothing is written and the result is false. True only when every byte reached
// the file; then *written (when given) names the new file.
bool writeFile(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> byteSets,
               FileIdentity* written = nullptr);
bool writeFile(const std::string& path, const std::vector<Bytes>& byteSets, FileIdentity* written = nullptr);
// Whether writeFile could write the path now, without changing anything.
bool canWriteFile(const std::string& path);

bool deleteFile(const std::string& path);
// Whether the path still names that very file (not a link, nor a file put there since).
bool isSameFile(const std::string& path, const FileIdentity& identity);
// Deletes the path only while it still names that very file.
bool deleteFileIfSame(const std::string& path, const FileIdentity& identity);

// Opens a user's file for reading only when it is a regular file, without ever blocking: a FIFO nobody
// writes to, a device, a socket or a directory gives an invalid descriptor at once. The descriptor is
// returned in blocking mode, positioned at the start.
UniqueFd openRegularFile(const std::string& path);

}  // namespace tessary::image
