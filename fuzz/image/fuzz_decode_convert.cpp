// SPDX-License-Identifier: GPL-3.0-or-later
// The whole converter on arbitrary bytes: the decoder chain from a file, then the BMP writer.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "image/decode/decode.h"
#include "support/temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The converter reads and writes only regular files: both live in a folder of this process's own,
    // removed when the process ends.
    static const tessary::testing::TempFolder folder("tessary-fuzz-convert");
    if (folder.path().empty()) return 0;
    const std::string input = (folder.path() / "in").string(), output = (folder.path() / "out.bmp").string();
    std::ofstream(input, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    tessary::image::ConvertPictureFile(input, output);
    return 0;
}
