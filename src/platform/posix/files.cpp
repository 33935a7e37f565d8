// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace tessary::platform {
namespace {

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// What stands at the path: nothing (true, *holder empty), a symbolic link (true: it is replaced), a regular
// file that can be opened for writing (true, *holder keeps it open) or anything else (false).
bool replaceable(const std::string& path, UniqueFd* holder) {
    if (path.empty() || path.back() == '/') return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
    if (S_ISLNK(st.st_mode)) return true;
    if (!S_ISREG(st.st_mode)) return false;
    // Non-blocking, so that a FIFO swapped in meanwhile cannot hang the window thread.
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (holder) *holder = std::move(fd);
    return true;
}

FileIdentity identityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size),
            std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
}

// A new file of a name no one uses, in the directory of the path; the umask applies to its mode as it would
// to the path's own.
UniqueFd createBeside(const std::string& path, std::string& name) {
    static std::atomic<unsigned> counter{0};
    const std::string stem = directoryOf(path) + "/.tessary-write-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem + std::to_string(counter++) + "-" + std::to_string(::random());
        UniqueFd fd(
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0644));
        if (fd || errno != EEXIST) return fd;
    }
    return UniqueFd();
}

}  // namespace

struct FileReplacement::State {
    std::string path;
    UniqueFd old;  // the file replaced, locked against other writers until the new one stands
    UniqueFd fd;
    std::string temporary;
    bool ok = false;
    bool committed = false;
};

FileReplacement::FileReplacement(const std::string& path) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.path = path;
    if (!replaceable(path, &s.old)) return;
    // The writer that holds the old file keeps it; nothing replaces it meanwhile.
    if (s.old && ::flock(s.old.get(), LOCK_EX | LOCK_NB) != 0) return;
    s.fd = createBeside(path, s.temporary);
    s.ok = static_cast<bool>(s.fd);
}

FileReplacement::~FileReplacement() {
    State& s = *state_;
    if (!s.committed && !s.temporary.empty()) {
        s.fd.reset();
        ::unlink(s.temporary.c_str());
    }
}

bool FileReplacement::ready() const { return state_->ok; }

bool FileReplacement::write(std::span<const std::uint8_t> bytes) {
    State& s = *state_;
    if (s.ok) s.ok = writeAll(s.fd.get(), bytes);
    return s.ok;
}

bool FileReplacement::commit(FileIdentity* written) {
    State& s = *state_;
    if (!s.ok) return false;
    struct stat st {};
    bool ok = ::fstat(s.fd.get(), &st) == 0;
    ok = s.fd.reset() && ok;
    ok = ok && ::rename(s.temporary.c_str(), s.path.c_str()) == 0;
    s.ok = ok;
    if (!ok) return false;
    s.committed = true;
    if (written) *written = identityOf(st);
    return true;
}

bool canCreateFilesIn(const std::string& directory) {
    if (directory.empty()) return false;
    UniqueFd probe(::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (probe) return true;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
    std::string name = directory + "/.tessary-probe-XXXXXX";
    UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (!fd) return false;
    ::unlink(name.c_str());
    return true;
}

bool canReplace(const std::string& path) {
    UniqueFd old;
    return replaceable(path, &old) && (!old || ::flock(old.get(), LOCK_EX | LOCK_NB) == 0) &&
           canCreateFilesIn(directoryOf(path));
}

bool deleteFile(const std::string& path) { return !path.empty() && ::unlink(path.c_str()) == 0; }

bool isSameFile(const std::string& path, const FileIdentity& identity) {
    struct stat st {};
    if (identity.empty() || path.empty() || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return identityOf(st) == identity;
}

bool deleteFileIfSame(const std::string& path, const FileIdentity& identity) {
    return isSameFile(path, identity) && ::unlink(path.c_str()) == 0;
}

UniqueFd openRegularFile(const std::string& path) {
    if (path.empty()) return UniqueFd();
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return UniqueFd();
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return UniqueFd();
    return fd;
}

UniqueFd fileHoldingBytes(std::span<const std::uint8_t> bytes) {
    UniqueFd fd(::memfd_create("tessary-picture", MFD_CLOEXEC));
    if (!fd || !writeAll(fd.get(), bytes) || ::lseek(fd.get(), 0, SEEK_SET) != 0) return UniqueFd();
    return fd;
}

bool readFileAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    auto* to = static_cast<unsigned char*>(buffer);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::pread(fd, to + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace tessary::platform
