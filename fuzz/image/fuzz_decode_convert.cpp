// SPDX-License-Identifier: GPL-3.0-or-later
// The whole converter on arbitrary bytes: the decoder chain from a file, then the BMP writer.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/decode/decode.h"

namespace {

// The converter writes only regular files, so its output goes to one in a folder of this process's own,
// removed when the process ends.
struct OutputFolder {
    std::string folder;
    std::string file;
    OutputFolder() {
        char name[] = "/tmp/tessary-fuzz-convert.XXXXXX";
        if (mkdtemp(name)) {
            folder = name;
            file = folder + "/out.bmp";
        }
    }
    ~OutputFolder() {
        if (folder.empty()) return;
        unlink(file.c_str());
        rmdir(folder.c_str());
    }
};

const std::string& destination() {
    static const OutputFolder output;
    static const std::string unwritable = "/dev/null";
    return output.folder.empty() ? unwritable : output.file;
}

}  // namespace

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
        tessary::image::ConvertPictureFile("/proc/self/fd/" + std::to_string(fd), destination());
    close(fd);
    return 0;
}
