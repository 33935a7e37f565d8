#pragma once
// The parts of the program that the other areas provide, gathered in one place: every handler
// library's register call, the serial port units and the run directory. The program and the
// binding check of the tests use the same list.
#include <string>

#include "app/console.h"
#include "app/model/stored_unit.h"

namespace tessary {

void registerAllHandlers(HandlerRegistry& registry);

// Which of the other areas' libraries this program was built with.
struct BuiltInParts {
    bool serialPort = false;
    bool linkHandlers = false;
    bool imageHandlers = false;
    bool engraveHandlers = false;
};
BuiltInParts builtInParts();

// Creates the SerialPort units of window definitions; empty when the machine link is not built in.
UnitFactory serialPortFactory();

// Where the preview file goes.
std::string programRunDirectory();

// The file named on the command line, taken in as a drop on the main window's drop target would take it
// (made absolute, as dropped paths are).
void takeInAtStart(Console& console, const WindowDef& mainWindow, const std::string& path);

}  // namespace tessary
