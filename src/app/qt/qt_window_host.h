// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Creates windows from their definitions as Qt widgets and runs modal windows in a nested loop.
#include "app/console.h"
#include "app/model/stored_unit.h"

namespace tessary::qt {

class QtWindowHost : public WindowHost {
  public:
    std::unique_ptr<Window> create(const WindowDef& def, Console& console) override;
    // Application-modal: the program's other windows take no input until the window is closed.
    void runModal(Window& window) override;
    void show(Window& window) override;
    void showInFront(Window& window) override;
    void applyVisualStyle(int style) override;

    // Creates the SerialPort units; until one is installed they only store their properties.
    void setSerialPortFactory(UnitFactory factory) { serialPortFactory_ = std::move(factory); }

  private:
    UnitFactory serialPortFactory_;
};

// Ends the program as the operator's close button does: open message boxes and modal windows are
// closed first (retrying until none is left), then the main window is closed.
void requestClose(Console& console);

}  // namespace tessary::qt
