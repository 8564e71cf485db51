// The desktop back end of the window system: FLTK 1.3 on X11.
#pragma once

#include <memory>

#include "platform/system.h"

// Opens the display and returns the system object the program runs on. Throws
// std::runtime_error when there is no display to open.
std::unique_ptr<platform::System> CreateFltkSystem(int argc, char** argv);
