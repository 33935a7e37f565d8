// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/paths.h"

namespace tessary::platform {

std::filesystem::path pathFromText(std::string_view text) {
    try {
        return std::filesystem::path(std::u8string(text.begin(), text.end()));
    } catch (const std::exception&) {
        return {};
    }
}

std::string textFromPath(const std::filesystem::path& path) {
    try {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace tessary::platform
