// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engraver's end of the line: a pseudo-terminal whose slave is linked as COMn in a port directory.
#include <optional>
#include <string>

#include "platform/unique_fd.h"

namespace tessary::virtual_engraver {

using platform::UniqueFd;

/// A pty master, non-blocking, whose slave is raw at 57600 baud. The master stays open for the port's
/// whole life so the console can close and reopen the slave as often as it likes.
struct Pty {
    UniqueFd master;
    std::string slavePath;
};
std::optional<Pty> openPty(std::string& problem);

/// The link DIR/COMn to the slave, removed again on destruction, with DIR itself when we made it and
/// it is empty by then.
class PortLink {
  public:
    /// `dir` empty: make a new temporary directory.
    static std::optional<PortLink> create(std::string dir, int com, const std::string& target,
                                          std::string& problem);
    ~PortLink();
    PortLink(PortLink&& other) noexcept;
    PortLink& operator=(PortLink&&) = delete;
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    const std::string& dir() const { return dir_; }
    const std::string& path() const { return path_; }
    bool ownsDir() const { return ownsDir_; }
    /// Removes the link (and the directory, as above); says whether the directory went too.
    bool remove();

  private:
    PortLink() = default;
    std::string dir_;
    std::string path_;
    std::string target_;
    bool ownsDir_ = false;
    bool active_ = false;
};

}  // namespace tessary::virtual_engraver
