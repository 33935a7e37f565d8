// SPDX-License-Identifier: GPL-3.0-or-later
// A returning device shows as a change of the folders where its node (/dev) and its COMn link appear.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "link/com_ports.h"
#include "link/lost_port_watch.h"

namespace tessary::link {
namespace {

class FolderStamps final : public PortPresence {
  public:
    explicit FolderStamps(int portNumber) : folders_{"/dev"} {
        // The port folder holds the COMn link when one is in use.
        const std::string path = resolveCom(portNumber);
        if (!path.empty()) {
            const std::string folder = std::filesystem::path(path).parent_path().string();
            if (!folder.empty() && std::find(folders_.begin(), folders_.end(), folder) == folders_.end())
                folders_.push_back(folder);
        }
        last_ = stamps();
    }

    bool changed() override {
        std::vector<Stamp> now = stamps();
        const bool differs = !std::equal(
            now.begin(), now.end(), last_.begin(), last_.end(), [](const Stamp& a, const Stamp& b) {
                return a.present == b.present && a.mtime.tv_sec == b.mtime.tv_sec &&
                       a.mtime.tv_nsec == b.mtime.tv_nsec;
            });
        last_ = std::move(now);
        return differs;
    }

    std::optional<int> look(int portNumber, const std::string& identity) override {
        const std::string path = resolveCom(portNumber);
        struct stat st {};
        if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return std::nullopt;
        if (!identity.empty() && deviceIdentity(path) != identity) return std::nullopt;
        return portNumber;
    }

  private:
    struct Stamp {
        timespec mtime{};
        bool present = false;
    };
    std::vector<Stamp> stamps() const {
        std::vector<Stamp> result;
        for (const std::string& folder : folders_) {
            struct stat st {};
            Stamp stamp;
            if (::stat(folder.c_str(), &st) == 0) stamp = {st.st_mtim, true};
            result.push_back(stamp);
        }
        return result;
    }

    std::vector<std::string> folders_;
    std::vector<Stamp> last_;
};

}  // namespace

std::unique_ptr<PortPresence> watchPortPresence(int portNumber) {
    return std::make_unique<FolderStamps>(portNumber);
}

}  // namespace tessary::link
