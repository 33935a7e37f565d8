// SPDX-License-Identifier: GPL-3.0-or-later
// The whole converter on arbitrary bytes: the decoder chain from a file, then the BMP writer.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/decode/decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = memfd_create("picture", 0);
    if (fd < 0) return 0;
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, data + written, size - written);
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    if (written == size)
        tessary::image::ConvertPictureFile("/proc/self/fd/" + std::to_string(fd), "/dev/null");
    close(fd);
    return 0;
}
