// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files of the user's and of our own, by path (UTF-8 text): a user's file is only read when it is a regular
// file on a disk, and our files are replaced whole, never written through a link.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/unique_fd.h"

namespace tessary::platform {

// Which file a path named when it was written, so that only that file is removed later. Size and
// modification time go with the file's number, which a file made after the first one's deletion may reuse.
struct FileIdentity {
    std::uint64_t device = 0;  // the file system (volume)
    std::uint64_t inode = 0;   // the file's number on it
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool empty() const { return inode == 0; }
    bool operator==(const FileIdentity&) const = default;
};

// Opens a user's file for reading only when it is a regular disk file, without ever blocking: a FIFO or named
// pipe, a device (NUL, CON, COM1, a tty), a socket or a directory gives an invalid descriptor at once. The
// descriptor is in blocking, binary mode, positioned at the start. On Windows a shell shortcut (.lnk) to a
// regular file opens that file, as a symbolic link does on POSIX systems.
UniqueFd openRegularFile(const std::string& path);

// An unnamed file holding the bytes, opened for reading at its start and gone once closed: pictures held in
// memory (a job's) go through the decoders, which read files. Invalid when the system cannot make one.
UniqueFd fileHoldingBytes(std::span<const std::uint8_t> bytes);

// Reads `size` bytes at `offset` of an open file, so that two threads can read one file at once (the
// descriptor's own position is not used, but may be moved); false when fewer bytes are there.
bool readFileAt(int fd, void* buffer, std::size_t size, std::uint64_t offset);

// Replaces the file at a path with a new one: the bytes go to a new file beside it, which commit() moves
// over the path, so the file at the path is always whole. A link (symbolic link, reparse point) at the path
// is replaced, never written through; a directory, FIFO, device or socket there refuses. Exclusive: while
// another writer holds the file (or it cannot be opened for writing), ready() is false and nothing is
// written.
class FileReplacement {
  public:
    explicit FileReplacement(const std::string& path);
    // Removes the new file unless it was committed.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool ready() const;
    // False once any write failed.
    bool write(std::span<const std::uint8_t> bytes);
    // True only when every byte reached the new file and it now stands at the path; then *written (when
    // given) names it.
    bool commit(FileIdentity* written);

    struct State;

  private:
    std::unique_ptr<State> state_;
};

// Whether a FileReplacement of the path could be committed now, without changing anything.
bool canReplace(const std::string& path);
// Tried, rather than judged from permissions, which say nothing for an administrator or a read-only disk.
bool canCreateFilesIn(const std::string& directory);

bool deleteFile(const std::string& path);
// Whether the path still names that very file (not a link, nor a file put there since).
bool isSameFile(const std::string& path, const FileIdentity& identity);
// Deletes the path only while it still names that very file.
bool deleteFileIfSame(const std::string& path, const FileIdentity& identity);

}  // namespace tessary::platform
