// The menu program's icon on Windows: a pressed disc with the magazine's navy label,
// drawn by code at each size an icon file carries, and written as an .ico file
// (32-bit pictures with their transparency, and the mask older systems read).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/resources.h"

namespace art {

// One picture of the icon, as the program carries it on Linux too.
using IconPicture = platform::IconPicture;

// The sizes an icon file of the program holds: the task bar's, the frames', the
// folder views'.
std::vector<int> IconSizes();
IconPicture DrawProgramIcon(int size);

// The pictures as an .ico file. Sizes up to 256 (stored as 0 in the directory).
std::vector<uint8_t> EncodeIco(const std::vector<IconPicture>& pictures);

}  // namespace art
