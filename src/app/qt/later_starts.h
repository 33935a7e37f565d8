// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One console for each desktop: a later start hands its file to the console that runs already, whose window
// thread takes it in as a drop and brings the window to the front.
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "platform/single_instance.h"

namespace tessary {
class Console;
}

namespace tessary::qt {

class LaterStarts {
  public:
    // Claims this desktop for `file`'s start (an absolute path, or empty); `onRequest` runs on the window
    // thread with each later start's file.
    LaterStarts(const std::string& file, std::function<void(const std::string&)> onRequest);
    ~LaterStarts();
    LaterStarts(const LaterStarts&) = delete;
    LaterStarts& operator=(const LaterStarts&) = delete;
    // The console that runs already took this start's file: this one ends.
    bool handedOver() const { return claim_.handedOver; }

  private:
    std::function<void(const std::string&)> onRequest_;
    // The window thread's end of the requests; requests still queued for it die with it.
    std::unique_ptr<QObject> receiver_;
    // Destroyed first: no request is handed on once the receiver is gone.
    platform::InstanceClaim claim_;
};

// The main window shown, raised and activated, and the system asked to draw the user's eye to it.
void bringToFront(Console& console);

}  // namespace tessary::qt
