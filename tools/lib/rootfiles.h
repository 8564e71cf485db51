// The files at a disc's root that start the menu: the menu programs themselves,
// and what makes each system offer to start its menu when the disc goes in.
//
// Windows reads autorun.inf. Linux desktops that follow freedesktop.org's
// autostart rules look at the root of a medium they have just mounted for
// ".autorun", "autorun" or "autorun.sh" (the first of these that is there), ask
// the user, and run it with the root as the current folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tool {

enum class MenuSystem { Unknown, Linux, Windows };

// The system a program is for, from its first bytes: a PE file ("MZ") is for
// Windows, an ELF file or a script ("#!") for Linux.
MenuSystem SystemOfProgram(const std::vector<uint8_t>& head);
// The same for a file, of which only the first bytes are read.
MenuSystem SystemOfProgramFile(const std::string& path);

// The menu's name at the root for each system.
inline constexpr std::string_view kLinuxMenuName = "vemi32";
inline constexpr std::string_view kWindowsMenuName = "vemi32.exe";
std::string MenuNameOnDisc(MenuSystem system);

// autorun.inf (CR LF): starts vemi32.exe, with its icon on the drive.
inline constexpr std::string_view kAutorunInfName = "autorun.inf";
std::string AutorunText();

// The names a Linux desktop looks for, in the order it looks; the disc tool
// writes the second, which every file manager shows as it is.
inline constexpr std::string_view kAutostartNames[] = {".autorun", "autorun", "autorun.sh"};
inline constexpr std::string_view kAutostartName = "autorun";
// The script written there: starts vemi32 from the folder the script lies in,
// whatever folder the desktop (or a user typing its path) starts it in.
std::string AutostartScript();

}  // namespace tool
