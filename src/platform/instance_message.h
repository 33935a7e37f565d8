// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a later start tells the first console: "tessary-open N\n" and the N bytes of the file's name (UTF-8,
// which may hold any byte but NUL); the first answers "ok\n" once it has the request.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessary::platform {

inline constexpr std::size_t kLongestInstanceFile = 64 * 1024;
inline constexpr std::string_view kInstanceAnswer = "ok\n";

inline std::string instanceMessage(const std::string& file) {
    return "tessary-open " + std::to_string(file.size()) + "\n" + file;
}

// The file of a whole message; nothing while it may still be incomplete or when it is not one of ours.
struct ParsedInstanceMessage {
    bool complete = false;
    bool valid = true;
    std::string file;
};

inline ParsedInstanceMessage parseInstanceMessage(std::string_view text) {
    constexpr std::string_view head = "tessary-open ";
    ParsedInstanceMessage out;
    const std::size_t n = std::min(text.size(), head.size());
    if (text.substr(0, n) != head.substr(0, n)) return {false, false, {}};
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) {
        out.valid = text.size() < head.size() + 8;
        return out;
    }
    std::size_t length = 0;
    const std::string_view digits = text.substr(head.size(), end - head.size());
    if (digits.empty() || digits.size() > 6) return {false, false, {}};
    for (const char c : digits) {
        if (c < '0' || c > '9') return {false, false, {}};
        length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    if (length > kLongestInstanceFile) return {false, false, {}};
    if (text.size() - end - 1 < length) return out;
    const std::string_view file = text.substr(end + 1);
    if (file.size() != length || file.find('\0') != std::string_view::npos) return {false, false, {}};
    return {true, true, std::string(file)};
}

}  // namespace tessary::platform
