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

}  // namespace tessary
