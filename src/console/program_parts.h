// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The parts of the program that the other areas provide, gathered in one place: every handler
// library's register call, the serial port units and the run directory. The program and the
// binding check of the tests use the same list.
#include <string>

#include "app/console.h"
#include "app/model/stored_unit.h"

namespace tessary {

void registerAllHandlers(HandlerRegistry& registry);

// Creates the SerialPort units of window definitions.
UnitFactory serialPortFactory();

// Where the preview file goes.
std::string programRunDirectory();

// The file named on the command line, taken in as a drop on the main window's drop target would take it
// (made absolute, as dropped paths are).
void takeInAtStart(Console& console, const WindowDef& mainWindow, const std::string& path);

}  // namespace tessary
