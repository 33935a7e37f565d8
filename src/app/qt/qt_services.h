// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The production services: a blocking clock and platform message boxes.
#include "app/model/service_interfaces.h"

namespace tessary::qt {

// Pauses the window thread: the windows keep painting, but no input is taken and no received byte is
// delivered until the pause has ended (both wait, in order, for the handler that paused to finish).
class BlockingClock : public Clock {
  public:
    void sleep(std::chrono::milliseconds pause) override;
    // A coarse timer: the tick may come a little late, never while a pause or a long write holds the thread.
    std::unique_ptr<Ticker> every(std::chrono::milliseconds interval, std::function<void()> tick) override;
};

// QMessageBox without owner, application-modal. Code: low nibble the buttons (0 OK, 1 OK/Cancel,
// 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel), 0x10/0x20/0x30/0x40 the icon.
class MessageBoxes : public Dialogs {
  public:
    void messageBox(std::string_view text, int code, std::string_view title) override;
    std::optional<std::string> openFile(std::string_view title, std::string_view folder,
                                        std::string_view filters) override;
    std::size_t ask(std::string_view text, std::string_view title,
                    const std::vector<std::string>& choices) override;
};

// QSettings in the user's configuration folder: $XDG_CONFIG_HOME/tessary/tessary.conf (else ~/.config/...),
// on Windows %APPDATA%\Tessary\tessary.ini; found again at every access, so a changed XDG_CONFIG_HOME or
// APPDATA is followed.
class ConfigFileSettings : public Settings {
  public:
    std::optional<std::string> value(std::string_view key) override;
    bool setValue(std::string_view key, std::string_view value) override;
    std::string location() const override;
};

// Shows program errors in a message box before the program ends (see programError).
void installProgramErrorBox();

}  // namespace tessary::qt
