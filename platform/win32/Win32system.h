// The Windows back end of the window system: the application, its message loop and
// the program's windows on the system's own user interface, with every text handed
// over as UTF-16. This header stays free of windows.h for the program's entry;
// Win32native.h has the parts that speak the system's types.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/system.h"

namespace platform::win32 {

// Registers the window classes and returns the system object the program runs on.
// The windows show the running executable's icon (its resource 1) when it has one.
std::unique_ptr<System> CreateWin32System();

// The command line's arguments after the program's name, in Windows-1250 (what
// the code page cannot hold becomes '?'), split the way the system's own programs
// split them.
std::vector<std::string> CommandLineArguments();

}  // namespace platform::win32
