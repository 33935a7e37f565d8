// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout_option.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <span>

#include "image/files.h"
#include "intake/headless.h"
#include "intake/intake.h"
#include "layout/layout.h"
#include "layout/layout_file.h"
#include "platform/files.h"

namespace tessary::prepare {
namespace {

// A regular file only (never a FIFO or device that could block), and no more than a description can hold
// (a larger one is refused by the parser).
bool readText(const std::string& path, std::string& text) {
    const platform::UniqueFd fd = platform::openRegularFile(path);
    if (!fd) return false;
    char buffer[65536];
    while (text.size() <= layout::kMaxDescriptionBytes) {
        const auto n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

int writeLayout(const std::string& layoutFile, bool mirror, const std::string& out) {
    std::string text;
    if (!readText(layoutFile, text)) {
        std::fprintf(stderr, "tessary-prepare: cannot read the layout %s\n", layoutFile.c_str());
        return 2;
    }
    layout::Layout described;
    if (const std::string problem = layout::parseLayout(text, folderOf(layoutFile), described);
        !problem.empty()) {
        std::fprintf(stderr, "tessary-prepare: %s: %s\n", layoutFile.c_str(), problem.c_str());
        return 2;
    }
    described.mirror = described.mirror || mirror;
    if (layout::takenInAsToday(described)) {
        intake::ImageState state;
        state.options = described.items[0].conversion;
        state.options.mirror = described.mirror;
        intake::Headless around(out);
        const intake::IntakeResult result = intake::takeIn(state, around, described.items[0].file);
        std::fflush(stdout);
        if (result == intake::IntakeResult::Prepared) return 0;
        if (result != intake::IntakeResult::Refused)
            std::fprintf(stderr, "tessary-prepare: cannot write %s\n", out.c_str());
        return 1;
    }
    const layout::Composition made = layout::compose(described);
    int status = 0;
    for (const layout::ItemNote& note : made.refusals) {
        std::fprintf(stderr, "tessary-prepare: %s: %s: %s\n", layoutFile.c_str(),
                     layout::describeItem(described, note.item).c_str(), note.text.c_str());
        status = std::max(status, note.wrongFileType ? 1 : 2);
    }
    if (status != 0) return status;
    for (const layout::ItemNote& note : made.offField)
        std::fprintf(stderr, "tessary-prepare: %s: %s %s\n", layoutFile.c_str(),
                     layout::describeItem(described, note.item).c_str(), note.text.c_str());
    const image::Bytes bmp = made.preview.ToByteSet();
    if (!image::writeFile(out, {std::span<const std::uint8_t>(bmp)})) {
        std::fprintf(stderr, "tessary-prepare: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("Layout: %zu item%s%s\n", described.items.size(), described.items.size() == 1 ? "" : "s",
                described.mirror ? ", mirrored" : "");
    return 0;
}

}  // namespace tessary::prepare
