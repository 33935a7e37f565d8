// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <random>

#include "platform/win32/shortcut.h"
#include "platform/win32/wide.h"

namespace tessary::platform {
namespace {

using win32::UniqueHandle;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool information(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) {
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info);
}

// A file's data on a disk: neither a folder nor a link (reparse point), nor a pipe or a device.
bool isDiskFile(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    return information(h, info) &&
           (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    const auto join = [](DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; };
    // FILETIME counts 100 ns.
    const auto modified = join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    return {info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
            static_cast<std::int64_t>(join(info.nFileSizeHigh, info.nFileSizeLow)),
            static_cast<std::int64_t>(modified) * 100};
}

// The path's own entry, a link itself rather than what it leads to.
UniqueHandle openEntry(const std::wstring& path, DWORD access) {
    return UniqueHandle(CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

UniqueHandle openForReading(const std::wstring& path) {
    // Without backup semantics a folder does not open at all.
    return UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

UniqueFd descriptorOf(UniqueHandle file) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_RDONLY | _O_BINARY);
    if (fd < 0) return UniqueFd();
    file.release();
    return UniqueFd(fd);
}

// What stands at the path: nothing (true, *holder empty), a link (true: it is replaced), a regular file that
// no other writer holds (true, *holder keeps it, shared with readers only) or anything else (false).
bool replaceable(const std::wstring& path, UniqueHandle* holder) {
    if (path.empty() || path.back() == L'\\') return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    UniqueHandle old(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!old || GetFileType(old.get()) != FILE_TYPE_DISK) return false;
    if (holder) *holder = std::move(old);
    return true;
}

std::wstring uniqueName(const std::wstring& folder, const wchar_t* kind) {
    static std::atomic<unsigned> counter{0};
    static thread_local std::minstd_rand random(std::random_device{}());
    return folder + L"\\.tessary-" + kind + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++) + L"-" + std::to_wstring(random());
}

}  // namespace

struct FileReplacement::State {
    std::wstring path;
    UniqueHandle old;  // the file replaced, held against other writers until the new one is written
    UniqueHandle file;
    std::wstring temporary;
    bool ok = false;
    bool committed = false;
};

FileReplacement::FileReplacement(const std::string& path) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.path = win32::filePath(path);
    if (!replaceable(s.path, &s.old)) return;
    const std::wstring folder = win32::folderOf(s.path);
    for (int attempt = 0; attempt < 100 && !s.file; ++attempt) {
        s.temporary = uniqueName(folder, L"write");
        s.file = UniqueHandle(CreateFileW(s.temporary.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!s.file && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    if (!s.file) s.temporary.clear();
    s.ok = static_cast<bool>(s.file);
}

FileReplacement::~FileReplacement() {
    State& s = *state_;
    if (!s.committed && !s.temporary.empty()) {
        s.file.reset();
        DeleteFileW(s.temporary.c_str());
    }
}

bool FileReplacement::ready() const { return state_->ok; }

bool FileReplacement::write(std::span<const std::uint8_t> bytes) {
    State& s = *state_;
    while (s.ok && !bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        s.ok = WriteFile(s.file.get(), bytes.data(), chunk, &written, nullptr) && written > 0;
        bytes = bytes.subspan(written);
    }
    return s.ok;
}

bool FileReplacement::commit(FileIdentity* written) {
    State& s = *state_;
    if (!s.ok) return false;
    // Windows replaces no file that is open, ours included: the old file is let go of at the last moment.
    s.ok = s.file.reset() && s.old.reset() &&
           MoveFileExW(s.temporary.c_str(), s.path.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!s.ok) return false;
    s.committed = true;
    // Read back once it stands: the file system may settle the time of the last write only at closing.
    BY_HANDLE_FILE_INFORMATION info{};
    const UniqueHandle now = openEntry(s.path, FILE_READ_ATTRIBUTES);
    if (written) *written = now && information(now.get(), info) ? identityOf(info) : FileIdentity{};
    return true;
}

bool canCreateFilesIn(const std::string& directory) {
    const std::wstring folder = win32::filePath(directory);
    if (folder.empty()) return false;
    const UniqueHandle probe(CreateFileW(uniqueName(folder, L"probe").c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                         nullptr));
    return static_cast<bool>(probe);
}

bool canReplace(const std::string& path) {
    const std::wstring target = win32::filePath(path);
    UniqueHandle old;
    return replaceable(target, &old) && canCreateFilesIn(win32::textFromWide(win32::folderOf(target)));
}

bool deleteFile(const std::string& path) {
    const std::wstring target = win32::filePath(path);
    return !target.empty() && DeleteFileW(target.c_str());
}

bool isSameFile(const std::string& path, const FileIdentity& identity) {
    const std::wstring target = win32::filePath(path);
    if (identity.empty() || target.empty()) return false;
    const UniqueHandle entry = openEntry(target, FILE_READ_ATTRIBUTES);
    BY_HANDLE_FILE_INFORMATION info{};
    return entry && isDiskFile(entry.get()) && information(entry.get(), info) && identityOf(info) == identity;
}

bool deleteFileIfSame(const std::string& path, const FileIdentity& identity) {
    const std::wstring target = win32::filePath(path);
    if (identity.empty() || target.empty()) return false;
    // Checked and deleted through the one handle: no other file can take the name in between.
    const UniqueHandle entry = openEntry(target, DELETE | FILE_READ_ATTRIBUTES);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!entry || !isDiskFile(entry.get()) || !information(entry.get(), info) ||
        !(identityOf(info) == identity))
        return false;
    FILE_DISPOSITION_INFO dispose{TRUE};
    return SetFileInformationByHandle(entry.get(), FileDispositionInfo, &dispose, sizeof dispose);
}

UniqueFd openRegularFile(const std::string& path) {
    const std::wstring target = win32::filePath(path);
    if (target.empty()) return UniqueFd();
    UniqueHandle file = openForReading(target);
    if (!file || !isDiskFile(file.get())) return UniqueFd();
    if (win32::isShellLink(target, file.get())) {
        // One step only: a shortcut to a shortcut is not followed further.
        const std::wstring linked = win32::filePath(win32::textFromWide(win32::shortcutTarget(target)));
        if (linked.empty()) return UniqueFd();
        file = openForReading(linked);
        if (!file || !isDiskFile(file.get()) || win32::isShellLink(linked, file.get())) return UniqueFd();
    }
    return descriptorOf(std::move(file));
}

UniqueFd fileHoldingBytes(std::span<const std::uint8_t> bytes) {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return UniqueFd();
    std::wstring base(folder, length);
    while (!base.empty() && base.back() == L'\\') base.pop_back();
    UniqueHandle file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        // Deleted on closing, whatever ends the program; readers may share it only for reading.
        file = UniqueHandle(CreateFileW(uniqueName(base, L"picture").c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    if (!file) return UniqueFd();
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), chunk, &written, nullptr) || written == 0) return UniqueFd();
        bytes = bytes.subspan(written);
    }
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)) return UniqueFd();
    return descriptorOf(std::move(file));
}

bool readFileAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    const auto file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (file == INVALID_HANDLE_VALUE) return false;
    auto* to = static_cast<unsigned char*>(buffer);
    for (std::size_t done = 0; done < size;) {
        OVERLAPPED at{};
        const std::uint64_t where = offset + done;
        at.Offset = static_cast<DWORD>(where);
        at.OffsetHigh = static_cast<DWORD>(where >> 32);
        const auto want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file, to + done, want, &got, &at) || got == 0) return false;
        done += got;
    }
    return true;
}

}  // namespace tessary::platform
