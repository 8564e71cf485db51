// The menu program's icon on Windows: a pressed disc with the magazine's navy label,
// drawn by code at each size an icon file carries, and written as an .ico file
// (32-bit pictures with their transparency, and the mask older systems read).
#pragma once

#include <cstdint>
#include <vector>

namespace art {

// One picture of the icon: w x w pixels, rows top-down, R, G, B, A (A 0 clear,
// 255 opaque).
struct IconPicture {
    int size = 0;
    std::vector<uint8_t> rgba;
};

// The sizes an icon file of the program holds: the task bar's, the frames', the
// folder views'.
std::vector<int> IconSizes();
IconPicture DrawProgramIcon(int size);

// The pictures as an .ico file. Sizes up to 256 (stored as 0 in the directory).
std::vector<uint8_t> EncodeIco(const std::vector<IconPicture>& pictures);

}  // namespace art
