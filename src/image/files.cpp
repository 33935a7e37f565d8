// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "image/unique_fd.h"

namespace tessary::image {
namespace {

// Whether a file can be created in the directory: tried, rather than judged from permission bits,
// which say nothing for root or a read-only mount.
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

// Makes the directory if needed; accepts it only when it is a real directory of this user.
bool privateDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
    return canCreateFilesIn(path);
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string programDirectory() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return ".";
    std::string path(buffer, static_cast<std::size_t>(n));
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

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
    return {st.st_dev, st.st_ino, st.st_size,
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

template <class ByteSets>
bool writeByteSets(const std::string& path, const ByteSets& byteSets, FileIdentity* written) {
    if (path.empty() || path.back() == '/') return false;
    UniqueFd old;
    if (!replaceable(path, &old)) return false;
    // The writer that holds the old file keeps it; nothing replaces it meanwhile.
    if (old && ::flock(old.get(), LOCK_EX | LOCK_NB) != 0) return false;
    std::string temporary;
    UniqueFd fd = createBeside(path, temporary);
    if (!fd) return false;
    bool ok = true;
    for (const auto& bytes : byteSets) {
        if (ok) ok = writeAll(fd.get(), std::span<const std::uint8_t>(bytes));
    }
    struct stat st {};
    ok = ok && ::fstat(fd.get(), &st) == 0;
    ok = fd.reset() && ok;
    ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (written) *written = identityOf(st);
    return true;
}

// Installed programs live in system directories; even root must not leave a preview file among them.
bool isSystemDirectory(const std::string& dir) {
    for (const char* prefix : {"/usr", "/bin", "/sbin", "/lib", "/opt"}) {
        const std::size_t n = std::char_traits<char>::length(prefix);
        if (dir.compare(0, n, prefix) == 0 && (dir.size() == n || dir[n] == '/')) return true;
    }
    return false;
}

}  // namespace

std::string chooseRunDirectory(const std::string& programDir, const char* xdgRuntimeDir, const char* home,
                               const char* tmpDir) {
    const std::string own = withoutTrailingSlash(programDir);
    if (!isSystemDirectory(own) && canCreateFilesIn(own)) return own;
    if (xdgRuntimeDir != nullptr && xdgRuntimeDir[0] == '/') {
        const std::string dir = withoutTrailingSlash(xdgRuntimeDir) + "/tessary";
        if (privateDirectory(dir)) return dir;
    }
    std::string homeDir = home != nullptr ? home : "";
    if (homeDir.empty() || homeDir[0] != '/') {
        if (const passwd* pw = ::getpwuid(::geteuid()); pw != nullptr && pw->pw_dir != nullptr)
            homeDir = pw->pw_dir;
    }
    if (!homeDir.empty() && homeDir[0] == '/') {
        const std::string cache = withoutTrailingSlash(homeDir) + "/.cache";
        if (::mkdir(cache.c_str(), 0700) == 0 || errno == EEXIST) {
            const std::string dir = cache + "/tessary";
            if (privateDirectory(dir)) return dir;
        }
    }
    // An account without a usable home (a service or kiosk account) still gets a directory of its own.
    if (tmpDir != nullptr && tmpDir[0] == '/') {
        const std::string dir = withoutTrailingSlash(tmpDir) + "/tessary-" + std::to_string(::geteuid());
        if (privateDirectory(dir)) return dir;
    }
    return own;
}

std::string runDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    return chooseRunDirectory(programDirectory(), std::getenv("XDG_RUNTIME_DIR"), std::getenv("HOME"),
                              tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp");
}

std::string previewFilePath(const std::string& runDirectory) { return runDirectory + "/" + kPreviewFileName; }

bool writeFile(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> byteSets,
               FileIdentity* written) {
    return writeByteSets(path, byteSets, written);
}

bool writeFile(const std::string& path, const std::vector<Bytes>& byteSets, FileIdentity* written) {
    return writeByteSets(path, byteSets, written);
}

bool canWriteFile(const std::string& path) {
    if (path.empty() || path.back() == '/') return false;
    UniqueFd old;
    return replaceable(path, &old) && canCreateFilesIn(directoryOf(path));
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

}  // namespace tessary::image
