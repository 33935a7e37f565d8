// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/memory_stream.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/win32/wide.h"

namespace tessary::testing {

std::FILE* openMemoryStream(const std::uint8_t* data, std::size_t size) {
    static std::atomic<unsigned> counter{0};
    wchar_t folder[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, folder) == 0) return nullptr;
    const std::wstring name = std::wstring(folder) + L"tessary-stream-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    platform::win32::UniqueHandle file(
        CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) return nullptr;
    for (std::size_t done = 0; done < size;) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        if (!WriteFile(file.get(), data + done, chunk, &n, nullptr) || n == 0) return nullptr;
        done += n;
    }
    const LARGE_INTEGER start{};
    if (!SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)) return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_RDONLY | _O_BINARY);
    if (fd < 0) return nullptr;
    file.release();
    std::FILE* stream = _fdopen(fd, "rb");
    if (!stream) _close(fd);
    return stream;
}

}  // namespace tessary::testing
