// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/files.h"

#include "platform/paths.h"

namespace tessary::image {
namespace {

template <class ByteSets>
bool writeByteSets(const std::string& path, const ByteSets& byteSets, platform::FileIdentity* written) {
    platform::FileReplacement file(path);
    if (!file.ready()) return false;
    for (const auto& bytes : byteSets) {
        if (!file.write(std::span<const std::uint8_t>(bytes))) return false;
    }
    return file.commit(written);
}

}  // namespace

std::string previewFilePath(const std::string& runDirectory) {
    return platform::textFromPath(platform::pathFromText(runDirectory) / kPreviewFileName);
}

bool writeFile(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> byteSets,
               platform::FileIdentity* written) {
    return writeByteSets(path, byteSets, written);
}

bool writeFile(const std::string& path, const std::vector<Bytes>& byteSets, platform::FileIdentity* written) {
    return writeByteSets(path, byteSets, written);
}

}  // namespace tessary::image
