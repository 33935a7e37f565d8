// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/lost_port_watch.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "link/com_ports.h"

namespace tessary::link {

LostPortWatch::LostPortWatch(int portNumber, std::string identity, std::vector<std::string> folders)
    : portNumber_(portNumber), identity_(std::move(identity)), folders_(std::move(folders)) {
    // The port folder holds the COMn link when one is in use.
    const std::string path = resolveCom(portNumber_);
    if (!path.empty()) {
        const std::string folder = std::filesystem::path(path).parent_path().string();
        if (!folder.empty() && std::find(folders_.begin(), folders_.end(), folder) == folders_.end())
            folders_.push_back(folder);
    }
    last_ = stamps();
}

std::vector<LostPortWatch::Stamp> LostPortWatch::stamps() const {
    std::vector<Stamp> result;
    for (const std::string& folder : folders_) {
        struct stat st {};
        Stamp stamp;
        if (::stat(folder.c_str(), &st) == 0) stamp = {st.st_mtim, true};
        result.push_back(stamp);
    }
    return result;
}

bool LostPortWatch::deviceBack() {
    std::vector<Stamp> now = stamps();
    const bool changed =
        !std::equal(now.begin(), now.end(), last_.begin(), last_.end(), [](const Stamp& a, const Stamp& b) {
            return a.present == b.present && a.mtime.tv_sec == b.mtime.tv_sec &&
                   a.mtime.tv_nsec == b.mtime.tv_nsec;
        });
    last_ = std::move(now);
    if (!changed && ++sinceLook_ < kLookEvery) return false;
    // A device that is there but cannot be opened yet (udev still setting its group) is looked at again soon.
    const bool back = look();
    sinceLook_ = back ? kLookEvery - 1 : 0;
    return back;
}

bool LostPortWatch::look() const {
    const std::string path = resolveCom(portNumber_);
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    return identity_.empty() || usbIdentity(path) == identity_;
}

}  // namespace tessary::link
